#include "platform/rtl/VariantStream.h"

#include <bit>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "platform/rtl/Exceptions.h"

namespace {

constexpr char kSignature[2] = {'K', 'V'};

enum TStreamTag : uint8_t {
  tagEmpty = 0x00,
  tagNull = 0x01,
  tagSmallInt = 0x02,
  tagInteger = 0x03,
  tagDouble = 0x05,
  tagDate = 0x07,
  tagWideString = 0x08,
  tagBoolean = 0x0B,
  tagByteString = 0x10,
  tagInt64 = 0x14,
  tagArray = 0x20,
};

// ---- Writing ----

class TWriter {
public:
  AnsiString Out;

  template <class T>
  void PutInt(T value) {
    using U = std::make_unsigned_t<T>;
    U bits = static_cast<U>(value);
    for (size_t i = 0; i < sizeof(T); ++i) {
      Out.push_back(static_cast<char>(bits & 0xFF));
      bits = static_cast<U>(bits >> 8);
    }
  }
  void PutDouble(double value) { PutInt(std::bit_cast<uint64_t>(value)); }
  void PutCount(size_t count, const std::string& path) {
    if (count > std::numeric_limits<uint32_t>::max())
      throw EVariantError("variant stream: a text of " + std::to_string(count) +
                          " units is too long to store" + Where(path));
    PutInt(static_cast<uint32_t>(count));
  }

  void PutValue(const Variant& value, int depth, std::string& path) {
    const Variant& v = value.Deref();
    if (v.IsEmpty()) {
      Out.push_back(static_cast<char>(tagEmpty));
    } else if (v.IsNull()) {
      Out.push_back(static_cast<char>(tagNull));
    } else if (auto* p = v.GetIf<int16_t>()) {
      Out.push_back(static_cast<char>(tagSmallInt));
      PutInt(*p);
    } else if (auto* p = v.GetIf<int32_t>()) {
      Out.push_back(static_cast<char>(tagInteger));
      PutInt(*p);
    } else if (auto* p = v.GetIf<int64_t>()) {
      Out.push_back(static_cast<char>(tagInt64));
      PutInt(*p);
    } else if (auto* p = v.GetIf<bool>()) {
      Out.push_back(static_cast<char>(tagBoolean));
      Out.push_back(*p ? 1 : 0);
    } else if (auto* p = v.GetIf<double>()) {
      Out.push_back(static_cast<char>(tagDouble));
      PutDouble(*p);
    } else if (auto* p = v.GetIf<TDateTime>()) {
      Out.push_back(static_cast<char>(tagDate));
      PutDouble(p->Value);
    } else if (auto* p = v.GetIf<AnsiString>()) {
      Out.push_back(static_cast<char>(tagByteString));
      PutCount(p->size(), path);
      Out.append(*p);
    } else if (auto* p = v.GetIf<WideString>()) {
      Out.push_back(static_cast<char>(tagWideString));
      PutCount(p->size(), path);
      for (char16_t unit : *p) PutInt(static_cast<uint16_t>(unit));
    } else if (auto* p = v.GetIf<TVarArray>()) {
      PutArray(*p, depth, path);
    } else if (v.GetIf<TDispatchRef>()) {
      throw EVariantError("variant stream: a dispatch reference cannot be stored" + Where(path));
    } else {
      throw EVariantError("variant stream: a Variant of type " + std::to_string(v.VarType()) +
                          " cannot be stored" + Where(path));
    }
  }

  void PutArray(const TVarArray& array, int depth, std::string& path) {
    if (depth >= VariantStreamMaxDepth)
      throw EVariantError("variant stream: arrays nested deeper than " +
                          std::to_string(VariantStreamMaxDepth) + " cannot be stored" +
                          Where(path));
    Out.push_back(static_cast<char>(tagArray));
    Out.push_back(static_cast<char>(array.DimCount()));
    for (const TVarArrayBound& bound : array.Bounds()) {
      PutInt(bound.LowBound);
      PutInt(bound.HighBound);
    }
    const size_t pathLength = path.size();
    if (array.DimCount() == 1) {
      for (int32_t i = array.LowBound(1); i <= array.HighBound(1); ++i) {
        path += "[" + std::to_string(i) + "]";
        PutValue(array.At(i), depth + 1, path);
        path.resize(pathLength);
      }
    } else {
      // The storage order: the first index varies fastest.
      for (int32_t j = array.LowBound(2); j <= array.HighBound(2); ++j) {
        for (int32_t i = array.LowBound(1); i <= array.HighBound(1); ++i) {
          path += "[" + std::to_string(i) + "," + std::to_string(j) + "]";
          PutValue(array.At(i, j), depth + 1, path);
          path.resize(pathLength);
        }
      }
    }
  }

  static std::string Where(const std::string& path) {
    return path.empty() ? std::string() : " (at element " + path + ")";
  }
};

// ---- Reading ----

class TReader {
public:
  explicit TReader(std::string_view bytes) : FBytes(bytes) {}

  Variant ReadStream() {
    Need(3);
    if (FBytes[0] != kSignature[0] || FBytes[1] != kSignature[1])
      Fail(0, "not a variant stream (bad signature)");
    FPos = 2;
    const uint8_t version = GetByte();
    if (version != VariantStreamVersion)
      Fail(2, "unsupported version " + std::to_string(version));
    Variant value = ReadValue(0);
    if (FPos != FBytes.size())
      Fail(FPos, std::to_string(FBytes.size() - FPos) + " bytes after the value");
    return value;
  }

private:
  [[noreturn]] static void Fail(size_t offset, const std::string& what) {
    throw EReadError("variant stream: " + what + " at byte " + std::to_string(offset));
  }

  size_t Left() const { return FBytes.size() - FPos; }

  void Need(size_t count) {
    if (Left() < count)
      throw EReadError("variant stream: truncated at byte " + std::to_string(FPos) + " (" +
                       std::to_string(count) + " bytes needed, " + std::to_string(Left()) +
                       " left)");
  }

  uint8_t GetByte() {
    Need(1);
    return static_cast<uint8_t>(FBytes[FPos++]);
  }

  template <class T>
  T GetInt() {
    using U = std::make_unsigned_t<T>;
    Need(sizeof(T));
    U bits = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
      bits = static_cast<U>(bits | static_cast<U>(static_cast<uint8_t>(FBytes[FPos + i]))
                                       << (8 * i));
    FPos += sizeof(T);
    return static_cast<T>(bits);
  }

  double GetDouble() { return std::bit_cast<double>(GetInt<uint64_t>()); }

  // A count of units of unitSize bytes each, checked against what is left
  // before anything is allocated for it.
  size_t GetCount(size_t unitSize) {
    const size_t at = FPos;
    const uint64_t count = GetInt<uint32_t>();
    if (count * unitSize > Left())
      Fail(at, "a text of " + std::to_string(count) + " units does not fit the " +
                   std::to_string(Left()) + " bytes left");
    return static_cast<size_t>(count);
  }

  Variant ReadValue(int depth) {
    const size_t at = FPos;
    const uint8_t tag = GetByte();
    switch (tag) {
      case tagEmpty: return Variant();
      case tagNull: return Variant::Null();
      case tagSmallInt: return Variant(GetInt<int16_t>());
      case tagInteger: return Variant(GetInt<int32_t>());
      case tagInt64: return Variant(GetInt<int64_t>());
      case tagDouble: return Variant(GetDouble());
      case tagDate: return Variant(TDateTime(GetDouble()));
      case tagBoolean: {
        const uint8_t b = GetByte();
        if (b > 1) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "0x%02X", b);
          Fail(at + 1, std::string("bad Boolean byte ") + hex);
        }
        return Variant(b == 1);
      }
      case tagByteString: {
        const size_t count = GetCount(1);
        AnsiString text(FBytes.substr(FPos, count));
        FPos += count;
        return Variant(std::move(text));
      }
      case tagWideString: {
        const size_t count = GetCount(2);
        WideString text(count, u'\0');
        for (size_t i = 0; i < count; ++i) text[i] = static_cast<char16_t>(GetInt<uint16_t>());
        return Variant(std::move(text));
      }
      case tagArray: return ReadArray(at, depth);
      default: {
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%02X", tag);
        Fail(at, std::string("unknown type tag ") + hex);
      }
    }
  }

  Variant ReadArray(size_t at, int depth) {
    if (depth >= VariantStreamMaxDepth)
      Fail(at, "arrays nested deeper than " + std::to_string(VariantStreamMaxDepth));
    const uint8_t dims = GetByte();
    if (dims != 1 && dims != 2)
      Fail(at + 1, "an array of " + std::to_string(dims) + " dimensions");
    std::vector<TVarArrayBound> bounds(dims);
    int64_t count = 1;
    for (TVarArrayBound& bound : bounds) {
      const size_t boundAt = FPos;
      bound.LowBound = GetInt<int32_t>();
      bound.HighBound = GetInt<int32_t>();
      const int64_t n = int64_t{bound.HighBound} - bound.LowBound + 1;
      if (n < 0)
        Fail(boundAt, "bounds " + std::to_string(bound.LowBound) + ".." +
                          std::to_string(bound.HighBound));
      count *= n;  // at most 2^32 * 2^32 / 2: fits, and is checked next
      if (count > TVarArray::MaxElementCount)
        Fail(at, "an array of more than " + std::to_string(TVarArray::MaxElementCount) +
                     " elements");
    }
    // Every element takes at least its tag byte: a count the rest of the
    // stream cannot hold is refused before the array is allocated.
    if (static_cast<uint64_t>(count) > Left())
      Fail(at, "an array of " + std::to_string(count) + " elements does not fit the " +
                   std::to_string(Left()) + " bytes left");
    TVarArray array = MakeArray(at, std::move(bounds));
    for (Variant& element : array.Elements()) element = ReadValue(depth + 1);
    return Variant(std::move(array));
  }

  // The bounds were checked above; should TVarArray still refuse them, that
  // is a broken stream too, not a Variant error of the caller's.
  static TVarArray MakeArray(size_t at, std::vector<TVarArrayBound> bounds) {
    try {
      return TVarArray(std::move(bounds));
    } catch (const EVariantError& e) {
      Fail(at, e.Message());
    }
  }

  std::string_view FBytes;
  size_t FPos = 0;
};

}  // namespace

AnsiString SaveVariant(const Variant& value) {
  TWriter writer;
  writer.Out.append(kSignature, sizeof kSignature);
  writer.Out.push_back(static_cast<char>(VariantStreamVersion));
  std::string path;
  writer.PutValue(value, 0, path);
  return std::move(writer.Out);
}

Variant LoadVariant(std::string_view bytes) { return TReader(bytes).ReadStream(); }
