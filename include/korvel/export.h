// Symbol visibility: the libraries are compiled with hidden symbols
// (-fvisibility=hidden), and the declarations between KORVEL_API_BEGIN and
// KORVEL_API_END are exported from the shared libraries. Each public header
// wraps its declarations in the pair, so a function it gains is exported
// without further marking.
#pragma once

#if defined(__GNUC__)
#define KORVEL_API_BEGIN _Pragma("GCC visibility push(default)")
#define KORVEL_API_END _Pragma("GCC visibility pop")
#else
#define KORVEL_API_BEGIN
#define KORVEL_API_END
#endif
