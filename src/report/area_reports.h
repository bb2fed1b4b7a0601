// The area reports: A (live areas), D (dead areas), d (dead areas as a bare list),
// P (dupes), I (imported messages), i (imported bytes), E (exported messages).
#pragma once

#include <cstdint>

#include "platform/sink.h"
#include "stats/area_set.h"

namespace kestrum {

// The flag letter shown before an area: P(assthrough), D(eleted), U(nknown) or blank.
char AreaFlagLetter(std::uint32_t flags);

// Ignored areas are never shown; deleted and unknown areas unless their Show keyword is No.
bool AreaIsShown(std::uint32_t flags, std::int32_t show_deleted, std::int32_t show_unknown);

// Writes the report of one of the letters A, D, d, P, I, i, E.
void WriteAreaReport(char letter, const AreaSet& areas, std::int32_t show_deleted, std::int32_t show_unknown,
                     Sink& out, Sink& console);

}  // namespace kestrum
