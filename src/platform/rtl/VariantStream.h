// VariantStream: a compact, versioned binary form of a Variant, used for the
// job records the application server stores and for calls that travel
// between processes. It keeps everything a Variant says about itself: the
// type tag (Empty apart from Null, SmallInt/Integer/Int64, Boolean, Double
// apart from Date, byte string apart from wide string), array dimensions and
// bounds (a lower bound of 1 survives), and nested arrays. Bytes from another
// process are untrusted: loading checks every count against the bytes that
// are left and against the array limits, so a broken or hostile stream raises
// EReadError naming the offset, never crashes or allocates without bound.
//
// Format, version 1 (all numbers little-endian):
//
//   stream  = "K" "V" version:u8 value            (nothing may follow)
//   value   = tag:u8 payload
//   0x00 Empty, 0x01 Null                          no payload
//   0x02 SmallInt i16    0x03 Integer i32          0x14 Int64 i64
//   0x05 Double f64      0x07 Date f64 (day count) IEEE-754 bits as stored
//   0x0B Boolean u8 (0 or 1, nothing else)
//   0x08 wide string     count:u32, count UTF-16 units (u16 each)
//   0x10 byte string     count:u32, count bytes (code page bytes, untouched)
//   0x20 array           dims:u8 (1 or 2), per dimension low:i32 high:i32
//                        (high = low - 1 is empty), then every element as a
//                        value, the first index varying fastest
//
// A by-reference Variant is written as the value it refers to; a dispatch
// reference cannot be written at all.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/rtl/Types.h"
#include "platform/rtl/Variant.h"

inline constexpr uint8_t VariantStreamVersion = 1;
// Arrays nested deeper than this are refused when saving and loading, so
// that a hostile stream cannot exhaust the stack. Job records nest four deep.
inline constexpr int VariantStreamMaxDepth = 32;

// The stream bytes of value. Raises EVariantError for a dispatch reference
// (naming where it sits: "[2][0]") or arrays nested deeper than
// VariantStreamMaxDepth.
AnsiString SaveVariant(const Variant& value);

// The Variant a stream holds. Raises EReadError ("variant stream: truncated
// at byte 17 (4 bytes needed, 2 left)") for a bad signature or version, an
// unknown tag, a bad Boolean byte, a bad dimension count or bounds, an array
// larger than TVarArray::MaxElementCount or than the bytes left could hold,
// nesting deeper than VariantStreamMaxDepth, a cut stream, or bytes after the
// value.
Variant LoadVariant(std::string_view bytes);
