// The system's clocks.
#include "records/clock.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace records {
namespace {

std::int64_t SystemNow() {
  return static_cast<std::int64_t>(std::time(nullptr));
}

void SystemStamp(std::int64_t seconds, char out[17]) {
  std::time_t t = static_cast<std::time_t>(seconds);
  std::tm local{};
#ifdef _WIN32
  bool ok = localtime_s(&local, &t) == 0;
#else
  bool ok = localtime_r(&t, &local) != nullptr;
#endif
  if (!ok) local = std::tm{};
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d", (local.tm_year + 1900) % 10000,
                (local.tm_mon + 1) % 100, local.tm_mday % 100, local.tm_hour % 100,
                local.tm_min % 100);
  std::memcpy(out, stamp, 16);
  out[16] = '\0';
}

std::int64_t SteadyNow() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

std::int64_t FastSteadyNow() {
  return SteadyNow() * kFastClockSpeed;
}

std::int64_t (*NowSeconds)() = SystemNow;
void (*LocalStamp)(std::int64_t seconds, char out[17]) = SystemStamp;
std::int64_t (*NowMs)() = SteadyNow;

}  // namespace records
