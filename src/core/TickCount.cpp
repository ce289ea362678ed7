#include "core/TickCount.h"

#include <chrono>

namespace {
std::function<std::uint32_t()>& Source() {
    static std::function<std::uint32_t()> source;
    return source;
}

std::uint32_t SteadyMilliseconds() {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<std::uint32_t>(
        ms); // keeps the low 32 bits: the counter wraps like the platform's
}
} // namespace

std::uint32_t TickCount() {
    const auto& source = Source();
    return source ? source() : SteadyMilliseconds();
}

void SetTickSource(std::function<std::uint32_t()> source) {
    Source() = std::move(source);
}
