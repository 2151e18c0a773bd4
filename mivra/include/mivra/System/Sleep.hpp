#pragma once

#include <mivra/System/Clock.hpp>
