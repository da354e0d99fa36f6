// The one place that includes Allegro. The game draws text with Allegro 4.0's
// calls (text_mode, textprintf, textout_centre ...), which 4.4 marks
// deprecated; these three macros make the marks plain declarations again, so
// the build stays warning-free without switching any warning off.
#pragma once

#define AL_FUNC_DEPRECATED(type, name, args) AL_FUNC(type, name, args)
#define AL_PRINTFUNC_DEPRECATED(type, name, args, a, b) AL_PRINTFUNC(type, name, args, a, b)
#define AL_INLINE_DEPRECATED(type, name, args, code) AL_INLINE(type, name, args, code)

#include <allegro.h>
