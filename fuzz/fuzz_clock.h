// The pinned "today" of the fuzz targets that build a reporting window: noon of 5 July
// 2002 in Moscow, a day of daylight-saving time, so that the window's ends and the log
// stamps are both taken as daylight-saving time and the zone's rules are exercised.
#pragma once

#include <cstdint>
#include <cstdlib>

#include "platform/local_time.h"

namespace kestrum::fuzzing {

inline std::int64_t PinnedNow() { return CivilSeconds(2002, 6, 5, 8, 0, 0); }

// Sets the time zone once for the whole fuzzing process.
inline void UseMoscowTime() {
  setenv("TZ", "Europe/Moscow", 1);
  InitTimeZone();
}

}  // namespace kestrum::fuzzing
