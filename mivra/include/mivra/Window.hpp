#pragma once

#include <mivra/System.hpp>

#include <mivra/Window/Context.hpp>
#include <mivra/Window/ContextSettings.hpp>
#include <mivra/Window/Event.hpp>
#include <mivra/Window/Joystick.hpp>
#include <mivra/Window/Keyboard.hpp>
#include <mivra/Window/Mouse.hpp>
#include <mivra/Window/Sensor.hpp>
#include <mivra/Window/Touch.hpp>
#include <mivra/Window/VideoMode.hpp>
#include <mivra/Window/Window.hpp>
#include <mivra/Window/WindowBase.hpp>
#include <mivra/Window/WindowEnums.hpp>
