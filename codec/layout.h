// Constants of the binary TOMBPC.DAT layout. All integers are little-endian.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vellumark::layout {

inline constexpr std::size_t kHeaderSize = 390;

// Offsets of the header fields.
inline constexpr std::size_t kVersion = 0;
inline constexpr std::size_t kDescription = 4;
inline constexpr std::size_t kReservedA = 260;
inline constexpr std::size_t kFirstOption = 262;
inline constexpr std::size_t kTitleReplace = 266;
inline constexpr std::size_t kOnDeathDemo = 270;
inline constexpr std::size_t kOnDeathGame = 274;
inline constexpr std::size_t kDemoTime = 278;
inline constexpr std::size_t kOnInterrupt = 282;
inline constexpr std::size_t kOnDemoEnd = 286;
inline constexpr std::size_t kReservedB = 290;
inline constexpr std::size_t kLevelCount = 326;
inline constexpr std::size_t kPicCount = 328;
inline constexpr std::size_t kTitleCount = 330;
inline constexpr std::size_t kFmvCount = 332;
inline constexpr std::size_t kCutsceneCount = 334;
inline constexpr std::size_t kDemoLevelCount = 336;
inline constexpr std::size_t kTitleSoundId = 338;
inline constexpr std::size_t kSingleLevel = 340;
inline constexpr std::size_t kReservedC = 342;
inline constexpr std::size_t kFlags = 374;
inline constexpr std::size_t kReservedD = 376;
inline constexpr std::size_t kCipherByte = 382;
inline constexpr std::size_t kReservedF = 383;
inline constexpr std::size_t kSecretSoundId = 384;
inline constexpr std::size_t kReservedE = 386;

inline constexpr int kGameStrings2Count = 41;         // PC layout
inline constexpr int kConsoleGameStrings2Count = 80;  // PlayStation layout
inline constexpr int kBetaGameStrings2Count = 79;     // PlayStation beta layout
inline constexpr std::size_t kMovieRecordSize = 8;    // console layouts: two 32-bit values
inline constexpr int kMaxStringLength = 255;  // the reader takes at most 256 bytes per string
inline constexpr std::uint32_t kMaxBlockSize = 65535;  // 16-bit offsets and sizes

// Flag bits.
inline constexpr std::uint16_t kFlagDemoVersion = 0x0001;
inline constexpr std::uint16_t kFlagTitleDisabled = 0x0002;
inline constexpr std::uint16_t kFlagCheatModeDisabled = 0x0004;
inline constexpr std::uint16_t kFlagDemosDisabled = 0x0008;
inline constexpr std::uint16_t kFlagLoadSaveDisabled = 0x0010;
inline constexpr std::uint16_t kFlagScreenSizingDisabled = 0x0020;
inline constexpr std::uint16_t kFlagLockupOptionRing = 0x0040;
inline constexpr std::uint16_t kFlagDozyCheatEnabled = 0x0080;
inline constexpr std::uint16_t kFlagCodedStrings = 0x0100;
inline constexpr std::uint16_t kFlagAlwaysSet = 0x0200;
inline constexpr std::uint16_t kFlagSelectAnyLevel = 0x0400;

}  // namespace vellumark::layout
