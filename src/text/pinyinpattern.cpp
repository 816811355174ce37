#include "text/pinyinpattern.h"

#include "text/pinyininitials.h"

namespace {

constexpr int DigitShift = 26;

constexpr PinyinPattern::Mask digitBit(char32_t digit)
{
    return PinyinPattern::Mask(1) << (DigitShift + int(digit - U'0'));
}

// The letters of one keypad key.
constexpr PinyinPattern::Mask keypadLetters(char32_t digit)
{
    PinyinPattern::Mask mask = 0;
    for (char32_t letter = U'a'; letter <= U'z'; ++letter) {
        if (keypadDigit(char16_t(letter)) == digit)
            mask |= PinyinPattern::Mask(1) << (letter - U'a');
    }
    return mask;
}

} // namespace

PinyinPattern::PinyinPattern(QStringView name, const PinyinReadings &readings)
{
    compile(name, readings, m_positions);
}

void PinyinPattern::compile(QStringView name, const PinyinReadings &readings, std::vector<Mask> &out)
{
    const qsizetype size = name.size();
    for (qsizetype i = 0; i < size; ++i) {
        char32_t c = name.at(i).unicode();
        if (c == U' ')
            break;
        if (c >= U'0' && c <= U'9') {
            out.push_back(digitBit(c));
            continue;
        }
        if (c >= U'A' && c <= U'Z')
            c += U'a' - U'A';
        if (c >= U'a' && c <= U'z') {
            out.push_back(Mask(1) << (c - U'a'));
            continue;
        }
        if (QChar::isHighSurrogate(c) && i + 1 < size && name.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(char16_t(c), name.at(i + 1).unicode());
            ++i;
        } else if (QChar::isSurrogate(c)) {
            continue;
        }
        if (const quint32 letters = readings.letterMask(c))
            out.push_back(letters);
    }
}

std::vector<PinyinPattern::Mask> PinyinPattern::typedMasks(QStringView typed)
{
    std::vector<Mask> masks;
    masks.reserve(typed.size());
    for (QChar ch : typed) {
        char32_t c = ch.unicode();
        if (c >= U'A' && c <= U'Z')
            c += U'a' - U'A';
        if (c >= U'a' && c <= U'z')
            masks.push_back(Mask(1) << (c - U'a'));
        else if (c >= U'0' && c <= U'9')
            masks.push_back(digitBit(c) | keypadLetters(c));
        else
            masks.push_back(0);
    }
    return masks;
}

bool PinyinPattern::contains(const Mask *positions, size_t count, const std::vector<Mask> &typed)
{
    const size_t length = typed.size();
    if (length == 0)
        return true;
    if (length > count)
        return false;
    const Mask first = typed.front();
    for (size_t start = 0; start + length <= count; ++start) {
        if (!(positions[start] & first))
            continue;
        size_t j = 1;
        while (j < length && (positions[start + j] & typed[j]))
            ++j;
        if (j == length)
            return true;
    }
    return false;
}

bool PinyinPattern::matches(QStringView typed) const
{
    return contains(m_positions.data(), m_positions.size(), typedMasks(typed));
}
