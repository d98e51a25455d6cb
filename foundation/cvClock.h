// The millisecond clock (milliseconds since a local midnight), a strictly increasing tick, the
// processor tick counter, and the time and date stamps.
#pragma once
#include <cstdint>
#include <string>

// Platform counter + clock offset (modulo 2^32): milliseconds since a local midnight, increasing
// without a jump at later midnights; wraps with the counter.
uint32_t MsClock();
// A strictly increasing tick: MsClock when it moved past the last tick, else the last tick + 1.
uint32_t UniqueTick();
// The processor's 64-bit time-stamp counter.
uint64_t CpuTicks();
// Days to milliseconds: values above 49 lose 49 days at a time; rounded, halves to even. Not a
// number or an infinite value gives 0.
uint32_t DayFracToMs(double Days);
// Recomputes the clock offset from the platform counter and the local time of day.
void ResyncMsClock();
// The offset that makes Tick + offset the milliseconds since a local midnight, DayMs being the
// milliseconds of today since local midnight: DayMs raised by whole days while below Tick.
// When Tick lies within a day of the counter's wrap the sum wraps too (modulo 2^32).
uint32_t MsClockOffsetFor(uint32_t Tick, uint32_t DayMs);

// Text forms of a millisecond count; hours are taken modulo 24.
std::string MsToHMSms(uint32_t Ms);   // hh:mm:ss.mmm
std::string MsToHMS(uint32_t Ms);     // hh:mm:ss
std::string MsToHHMMSS(uint32_t Ms);  // hhmmss

// Text forms of a date-time (days since 1899-12-30).
std::string TimeHHMMSS(double DT);    // hhmmss
std::string DateYYMMDD(double DT);    // yymmdd
std::string DateYYYYMMDD(double DT);  // yyyymmdd
std::string DateY_M_D(double DT);     // yyyy_mm_dd
std::string StampDT(double DT);       // yyyymmdd_hhmmss
std::string NowStamp();

// Decimal text of V with "0" put in front until it is at least Width long.
std::string ZeroFill(int64_t V, int Width);

// Test access: the last tick of UniqueTick.
uint32_t UniqueTickLast();
void SetUniqueTickLast(uint32_t Value);
