#pragma once

namespace mivra::Sensor
{
enum class Type
{
    Accelerometer,
    Gyroscope,
    Magnetometer,
    Gravity,
    UserAcceleration,
    Orientation,
};
inline constexpr unsigned int Count = 6;
} // namespace mivra::Sensor
