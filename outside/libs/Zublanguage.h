/* The interface of "Zublanguage.dll", the installation's simplified and
 * traditional Chinese converter. It is loaded by name and its functions are
 * looked up by name ("GBtoBIG5", "BIG5toGB"); this header fixes their
 * signatures for every caller. Plain C, fixed-width types; nothing but a
 * return code leaves a call.
 *
 * GBtoBIG5: GBK bytes (code page 936) of simplified Chinese text -> Big5
 *   bytes (code page 950) of the same text in traditional characters with
 *   Taiwan usage, phrase by phrase ("软件" -> "軟體", "简体中文" -> "簡體中文").
 * BIG5toGB: the reverse (Big5 -> GBK, traditional -> simplified, "軟體" ->
 *   "软件").
 *
 * Arguments and results (both functions):
 *   src, srcLen  the source bytes; srcLen is their count, or -1 for a
 *                NUL-terminated text. The caller keeps src; the library
 *                never holds on to it. src may be null only when srcLen is 0.
 *   dst, dstSize the caller's buffer and its size in bytes. The library
 *                writes the result there and nothing beyond dstSize; it
 *                allocates nothing the caller has to free. With dst null
 *                (and dstSize 0) nothing is written: the call only says how
 *                many bytes the result needs.
 *   return       >= 0: the length of the result in bytes (written, or needed
 *                for a size query). A NUL follows the result when dstSize
 *                leaves room for it; the length never counts it.
 *                < 0: one of the ZUBLANG_E_ codes below; dst is left as it
 *                was.
 * A size query followed by the same conversion on the same thread does the
 * work once: the last result is kept per thread.
 *
 * Text rules: ASCII bytes (CR and LF included) come out as they went in;
 * an empty source gives an empty result; the same source always gives the
 * same result. A character that has no form in the target code page comes
 * out as "?". A source that is not valid in its code page (a lead byte cut
 * off at the end, a lead byte followed by a byte that cannot trail it) is
 * refused with ZUBLANG_E_INVALID_INPUT rather than guessed at.
 *
 * Both functions may be called from any thread. The library stays mapped
 * once loaded (its dictionaries are built once, on first use, and kept).
 */
#ifndef ZUBLANGUAGE_H
#define ZUBLANGUAGE_H

#include <stdint.h>

#if defined(ZUBLANGUAGE_BUILD)
#define ZUBLANG_API __attribute__((visibility("default")))
#else
#define ZUBLANG_API
#endif

#define ZUBLANG_E_ARGUMENT (-1)        /* null src with srcLen != 0, srcLen < -1, bad dst/dstSize */
#define ZUBLANG_E_BUFFER_TOO_SMALL (-2) /* dstSize is less than the result length */
#define ZUBLANG_E_INVALID_INPUT (-3)    /* src is not valid text in its code page */
#define ZUBLANG_E_DICTIONARY (-4)       /* the conversion dictionaries cannot be loaded */
#define ZUBLANG_E_OUT_OF_MEMORY (-5)
#define ZUBLANG_E_TOO_LONG (-6)         /* the result would not fit in an int32_t */
#define ZUBLANG_E_INTERNAL (-7)         /* any other failure inside the library */

#ifdef __cplusplus
extern "C" {
#endif

/* The type both conversion functions have, for look-up by name. */
typedef int32_t (*TZubConvertProc)(const char* src, int32_t srcLen, char* dst, int32_t dstSize);

ZUBLANG_API int32_t GBtoBIG5(const char* src, int32_t srcLen, char* dst, int32_t dstSize);
ZUBLANG_API int32_t BIG5toGB(const char* src, int32_t srcLen, char* dst, int32_t dstSize);

/* A short English text for a return code (for error messages); for
 * ZUBLANG_E_DICTIONARY it names what could not be loaded. The text is the
 * library's and stays valid while the library is loaded. */
typedef const char* (*TZubErrorTextProc)(int32_t code);
ZUBLANG_API const char* ZubLanguageErrorText(int32_t code);

#ifdef __cplusplus
}
#endif

#endif /* ZUBLANGUAGE_H */
