#pragma once

#include <QtGlobal>

// How a catalogue's sizes are grouped: the bytes between groups of three digits ("1,234,567"
// in a C locale, other marks in others, none at all), learnt from the first size of four
// digits or more. A size text written so is held as its number and written back the same.
class SizeGrouping
{
public:
    // What the number and four more bits hold; larger sizes stay texts.
    static constexpr quint64 Limit = quint64(1) << 36;
    // Room format() needs.
    static constexpr int MaxText = 48;

    void reset() { m_length = -1; }
    bool operator==(const SizeGrouping &other) const;
    bool operator!=(const SizeGrouping &other) const { return !(*this == other); }
    // Takes other's grouping when this one is not known yet.
    void adopt(const SizeGrouping &other);

    // The number of a size text that format() writes back byte for byte (no sign, no leading
    // zero, below Limit, grouped as learnt); false for any other text.
    bool parse(const char *data, int length, quint64 &value);
    // Writes value at out, grouped; gives the length.
    int format(quint64 value, char *out) const;

private:
    bool learn(const char *data, int length);

    char m_separator[4] = {};
    int m_length = -1; // -1: not learnt yet
};
