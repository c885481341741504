#include "progressbar/digit_glyphs.h"

#include <array>
#include <utility>

namespace kestrune {

namespace {

// Columns across the cell, left to right.
enum class X { L, L8, L4, M, R3, R4, R };

// Rows down the cell: T... measured from the top, B... from the bottom.
enum class Y {
    T,
    T12,
    T6,
    T4,
    T3,
    T2,
    T5_18,
    T7_18,
    T4_9,
    T5_9,
    B,
    B12,
    B6,
    B4,
    B3,
    B2,
    B5_18,
    B7_18,
    B4_9,
    B5_9
};

using Glyph = std::vector<std::pair<X, Y>>;

int Column(X Which, const TDigitCell& C) {
    const int e = C.Width;
    switch (Which) {
    case X::L:
        return C.Left + 1;
    case X::L8:
        return C.Left + e / 8 + 1;
    case X::L4:
        return C.Left + e / 4 + 1;
    case X::M:
        return C.Left + e - e / 2 - 1;
    case X::R3:
        return C.Left + e - e / 3 - 1;
    case X::R4:
        return C.Left + e - e / 4 - 1;
    case X::R:
        break;
    }
    return C.Left + e - 1;
}

// The distance of a row from its edge, before the one-pixel margin.
int RowDepth(Y Which, int d) {
    switch (Which) {
    case Y::T:
    case Y::B:
        return 0;
    case Y::T12:
    case Y::B12:
        return d / 12;
    case Y::T6:
    case Y::B6:
        return d / 6;
    case Y::T4:
    case Y::B4:
        return d / 4;
    case Y::T3:
    case Y::B3:
        return d / 3;
    case Y::T2:
    case Y::B2:
        return d / 2;
    case Y::T5_18:
    case Y::B5_18:
        return (5 * d) / 18;
    case Y::T7_18:
    case Y::B7_18:
        return (7 * d) / 18;
    case Y::T4_9:
    case Y::B4_9:
        return (4 * d) / 9;
    case Y::T5_9:
    case Y::B5_9:
        return (5 * d) / 9;
    }
    return 0;
}

int Row(Y Which, const TDigitCell& C) {
    const bool fromTop = Which <= Y::T5_9;
    const int depth = RowDepth(Which, C.Height);
    return fromTop ? C.Top + depth + 1 : C.Top + C.Height - depth - 1;
}

using enum X;
using enum Y;

const std::array<Glyph, 10> Glyphs = {{
    // 0
    {{L8, B12},
     {L, B6},
     {L, T6},
     {L4, T},
     {R4, T},
     {R, T6},
     {R, B6},
     {R4, B},
     {L4, B},
     {L8, B12},
     {L4, B6},
     {R4, B6},
     {R4, T6},
     {L4, T6},
     {L4, B6}},
    // 1
    {{R4, T6}, {R, T}, {R, B}, {R4, B6}},
    // 2
    {{L, T3},
     {L, T6},
     {L4, T},
     {R4, T},
     {R, T6},
     {R, T3},
     {L4, B6},
     {R4, B6},
     {R, B3},
     {R, B6},
     {R4, B},
     {L, B},
     {L, B6},
     {R4, T3},
     {R4, T6},
     {L4, T6},
     {L4, T3}},
    // 3
    {{L, T3},  {L, T6},   {L4, T},   {R4, T},  {R, T6},  {R, T3},  {R4, T2}, {R, B3},
     {R, B6},  {R4, B},   {L4, B},   {L, B6},  {L, B3},  {L4, B3}, {L4, B6}, {R4, B6},
     {R4, B3}, {M, B4_9}, {M, T4_9}, {R4, T3}, {R4, T6}, {L4, T6}, {L4, T3}},
    // 4
    {{L, B7_18},
     {L, T},
     {L4, T6},
     {L4, T4_9},
     {R4, T4_9},
     {R4, T6},
     {R, T},
     {R, B},
     {R4, B6},
     {R4, B7_18}},
    // 5
    {{L, T},
     {R, T},
     {R4, T6},
     {L4, T6},
     {L4, T5_18},
     {R4, T5_18},
     {R, B5_9},
     {R, B6},
     {R4, B},
     {L4, B},
     {L, B6},
     {L, B3},
     {L4, B6},
     {R4, B6},
     {R4, B2},
     {R3, B5_9},
     {L, B5_9}},
    // 6
    {{L, T6},
     {L4, T},
     {R4, T},
     {R, T12},
     {R, T4},
     {R4, T6},
     {L4, T6},
     {L4, B6},
     {R4, B6},
     {R4, B5_9},
     {L4, B5_9},
     {L4, T5_18},
     {R4, T5_18},
     {R, B5_9},
     {R, B6},
     {R4, B},
     {L4, B},
     {L, B6}},
    // 7
    {{L, T}, {R, T}, {R, T6}, {L4, B}, {L, B}, {L, B6}, {R4, T6}, {L4, T6}},
    // 8
    {{L, T6},   {L4, T},  {R4, T},    {R, T6},  {R, T7_18}, {R4, T2},    {R, B4_9},   {R, B6},
     {R4, B},   {L4, B},  {L, B6},    {R4, B6}, {R4, B4_9}, {L4, B4_9},  {L4, B6},    {L, B6},
     {L, B4_9}, {L4, T2}, {L, T7_18}, {L, T6},  {L4, T6},   {L4, T7_18}, {R4, T7_18}, {R4, T6}},
    // 9
    {{R, B6},
     {R4, B},
     {L4, B},
     {L, B12},
     {L, B4},
     {L4, B6},
     {R4, B6},
     {R4, T6},
     {L4, T6},
     {L4, T5_9},
     {R4, T5_9},
     {R4, B5_18},
     {L4, B5_18},
     {L, T5_9},
     {L, T6},
     {L4, T},
     {R4, T},
     {R, T6}},
}};

} // namespace

std::vector<QPoint> DigitGlyph(int Digit, const TDigitCell& Cell) {
    std::vector<QPoint> points;
    if (Digit < 0 || Digit > 9) {
        return points;
    }
    const Glyph& glyph = Glyphs[static_cast<std::size_t>(Digit)];
    points.reserve(glyph.size());
    for (const auto& [column, row] : glyph) {
        points.emplace_back(Column(column, Cell), Row(row, Cell));
    }
    return points;
}

} // namespace kestrune
