/* The interface of "Ostrell.dll", the installation's glyph library: the
 * small pictures of the glyph buttons, chosen by number, and the named
 * pictures of the bit check box. It is loaded by name and its functions are
 * looked up by name; this header fixes their signatures for every caller.
 * Plain C, fixed-width types; nothing but a return code leaves a call.
 *
 * The bitmap: `bitmap` is the caller's own platform bitmap object (a
 * TBitmap* of the shared platform runtime, passed as void*), which the
 * library and its callers both link. The caller owns it and keeps it alive
 * for the call; the library only fills it (size, pixels, transparency
 * settings), in one step, and never keeps a reference. A picture is one
 * image or a strip of equal square images side by side (up, disabled,
 * pressed, ...), 16 pixels high for glyphs; its bottom-left pixel is the
 * background colour, which the bitmap's automatic transparency then takes.
 *
 * Return codes of LoadBmp and LoadNamedBmp:
 *   OSTRELL_LOADED (1)   the bitmap now holds the picture;
 *   OSTRELL_ABSENT (0)   the library holds no picture of that number or
 *                        name; the bitmap is left as it was;
 *   below 0              one of the OSTRELL_E_ codes; the bitmap is left as
 *                        it was.
 *
 * Glyph numbers in use (GetMaxBmpID is the highest; numbers in between may
 * be absent):
 *    4  delete all (a strip of two: up and disabled)
 *    8  lookup, the default picture of an F2 button
 *    9  date
 *   39  list of choices (a strip of three: up, disabled, pressed)
 *   47  delete one
 *   61  partner lookup (a person with a magnifier)
 * Named pictures, 13 x 13, one image each: "CHECKED", "UNCHECKED",
 * "GRAYED" (the three states of a check box); names are matched exactly.
 *
 * User-interface thread only (the bitmap belongs to it).
 */
#ifndef OSTRELL_H
#define OSTRELL_H

#include <stdint.h>

#if defined(OSTRELL_BUILD)
#define OSTRELL_API __attribute__((visibility("default")))
#else
#define OSTRELL_API
#endif

#define OSTRELL_LOADED 1
#define OSTRELL_ABSENT 0
#define OSTRELL_E_ARGUMENT (-1) /* a null bitmap or name */
#define OSTRELL_E_INTERNAL (-2) /* the bitmap refused the picture, or any other failure */

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t (*TGetMaxBmpIDProc)(void);
typedef int32_t (*TLoadBmpProc)(void* bitmap, int32_t id);
typedef int32_t (*TLoadNamedBmpProc)(void* bitmap, const char* name);
typedef const char* (*TOstrellErrorTextProc)(int32_t code);

/* The highest glyph number the library holds. */
OSTRELL_API int32_t GetMaxBmpID(void);
/* Fills bitmap with glyph `id`. */
OSTRELL_API int32_t LoadBmp(void* bitmap, int32_t id);
/* Fills bitmap with the named picture. */
OSTRELL_API int32_t LoadNamedBmp(void* bitmap, const char* name);
/* A short English text for a return code; static, never null. */
OSTRELL_API const char* OstrellErrorText(int32_t code);

#ifdef __cplusplus
}
#endif

#endif /* OSTRELL_H */
