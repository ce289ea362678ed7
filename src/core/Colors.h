#pragma once
// Colour values as the program stores them (settings, track colours, digits):
// 0x00BBGGRR. A value whose top byte is 0xFF names a system colour instead.
#include <cstdint>

using TColor = std::uint32_t;

namespace Colors {
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clDimGrey = 0x404040;
constexpr TColor clBlack = 0x000000;
constexpr TColor clGreen = 0x008000;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clNavy = 0x800000;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clSilver = 0xC0C0C0;
// System colours (top byte 0xFF); the low byte picks the role.
constexpr TColor clBtnFace = 0xFF00000F;
constexpr TColor clWindowText = 0xFF000008;
constexpr TColor clWindow = 0xFF000005;
constexpr TColor clBtnHighlight = 0xFF000014;
constexpr TColor clBtnShadow = 0xFF000010;
constexpr TColor clHighlight = 0xFF00000D;
constexpr TColor clHighlightText = 0xFF00000E;
} // namespace Colors
