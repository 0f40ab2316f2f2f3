#pragma once

#include <QString>
#include <cstdint>

// A moment (seconds since 1970) as the seller reads it, in local time: "10/12/2026 09:05".
QString DateTimeText(std::int64_t secondsSince1970);
