#pragma once

#include <mivra/System/Angle.hpp>
#include <mivra/System/Clock.hpp>
#include <mivra/System/Diagnostics.hpp>
#include <mivra/System/Exception.hpp>
#include <mivra/System/String.hpp>
#include <mivra/System/Time.hpp>
#include <mivra/System/Vector2.hpp>
