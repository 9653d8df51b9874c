#include "format/va_list_arguments.h"

#include <cstddef>
#include <cstdint>
#include <cwchar>
#include <type_traits>

namespace qm {

namespace {

// A wint_t narrower than int (Windows) travels through "..." as an int.
using PromotedWideChar = std::conditional<sizeof(std::wint_t) < sizeof(int), int, std::wint_t>::type;

struct Wanted {
    ValueKind kind = ValueKind::kNone;
    IntegerSize size = IntegerSize::kInt;
};

using WantedList = SmallList<Wanted, 16>;

void Want(WantedList* wanted, int index, ValueKind kind, IntegerSize size) {
    if (index < 0) return;
    Wanted& slot = (*wanted)[static_cast<std::size_t>(index)];
    // A position named twice keeps its first type.
    if (slot.kind == ValueKind::kNone) slot = {kind, size};
}

}  // namespace

VaListArguments::VaListArguments(const FormatPieces& pieces, int argumentCount, std::va_list args) {
    WantedList wanted;
    wanted.grow_to(static_cast<std::size_t>(argumentCount > 0 ? argumentCount : 0));
    for (const FormatPiece& piece : pieces) {
        if (!piece.isConversion) continue;
        const PrintfConversion& c = piece.conversion;
        Want(&wanted, c.widthArgument, ValueKind::kSigned, IntegerSize::kInt);
        Want(&wanted, c.precisionArgument, ValueKind::kSigned, IntegerSize::kInt);
        Want(&wanted, c.argument, c.kind, c.size);
    }

    std::va_list list;
    va_copy(list, args);
    for (const Wanted& w : wanted) {
        if (w.kind == ValueKind::kNone) break;
        Value value;
        value.kind = w.kind;
        switch (w.kind) {
            case ValueKind::kSigned:
                switch (w.size) {
                    case IntegerSize::kLong: value.s = va_arg(list, long); break;
                    case IntegerSize::kLongLong: value.s = va_arg(list, long long); break;
                    case IntegerSize::kIntMax: value.s = va_arg(list, std::intmax_t); break;
                    case IntegerSize::kSize: value.s = static_cast<long long>(va_arg(list, std::size_t)); break;
                    case IntegerSize::kPtrDiff: value.s = va_arg(list, std::ptrdiff_t); break;
                    default: value.s = va_arg(list, int); break;
                }
                break;
            case ValueKind::kUnsigned:
                switch (w.size) {
                    case IntegerSize::kLong: value.u = va_arg(list, unsigned long); break;
                    case IntegerSize::kLongLong: value.u = va_arg(list, unsigned long long); break;
                    case IntegerSize::kIntMax: value.u = va_arg(list, std::uintmax_t); break;
                    case IntegerSize::kSize: value.u = va_arg(list, std::size_t); break;
                    case IntegerSize::kPtrDiff:
                        value.u = static_cast<unsigned long long>(va_arg(list, std::ptrdiff_t));
                        break;
                    default: value.u = va_arg(list, unsigned int); break;
                }
                break;
            case ValueKind::kDouble: value.d = va_arg(list, double); break;
            case ValueKind::kLongDouble: value.ld = va_arg(list, long double); break;
            case ValueKind::kChar: value.s = va_arg(list, int); break;
            case ValueKind::kWideChar:
                value.u = static_cast<unsigned long long>(va_arg(list, PromotedWideChar));
                break;
            case ValueKind::kString:
            case ValueKind::kWideString:
            case ValueKind::kPointer:
            case ValueKind::kCount: value.p = va_arg(list, const void*); break;
            case ValueKind::kNone: break;
        }
        m_values.push_back(value);
    }
    va_end(list);
}

int VaListArguments::Integer(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= m_values.size()) return 0;
    const Value& value = m_values[static_cast<std::size_t>(index)];
    return value.kind == ValueKind::kSigned ? static_cast<int>(value.s) : 0;
}

std::size_t VaListArguments::Render(const PrintfConversion& c, char* area, std::size_t size, bool* callerText) {
    area[0] = '\0';
    *callerText = false;
    if (c.argument < 0 || static_cast<std::size_t>(c.argument) >= m_values.size()) return 0;
    const Value& value = m_values[static_cast<std::size_t>(c.argument)];
    // Read as one type, shown as another: the pointer kinds must never meet
    // a number. Nothing is shown.
    if (value.kind != c.kind) return 0;
    switch (c.kind) {
        case ValueKind::kSigned: return RenderSigned(c, value.s, area, size);
        case ValueKind::kUnsigned: return RenderUnsigned(c, value.u, area, size);
        case ValueKind::kDouble: return RenderDouble(c, value.d, area, size);
        case ValueKind::kLongDouble: return RenderLongDouble(c, value.ld, area, size);
        case ValueKind::kPointer: return RenderPointer(c, value.p, area, size);
        case ValueKind::kChar: {
            const char text[2] = {static_cast<char>(value.s), '\0'};
            *callerText = true;
            return RenderText(c, text, false, area, size);
        }
        case ValueKind::kWideChar:
            *callerText = true;
            return RenderWideChar(c, static_cast<unsigned long>(value.u), area, size);
        case ValueKind::kString:
            *callerText = true;
            return RenderText(c, static_cast<const char*>(value.p), true, area, size);
        case ValueKind::kWideString:
            *callerText = true;
            return RenderWide(c, static_cast<const wchar_t*>(value.p), area, size);
        case ValueKind::kCount:
        case ValueKind::kNone: return 0;
    }
    return 0;
}

}  // namespace qm
