#pragma once

// The ASPI for Win32 request block the program sends: the published 32-bit
// SRB_ExecSCSICmd (80 bytes, byte-packed) at the start of a larger zeroed
// block, and the ASPI constants it uses. Offsets are those of the published
// structure; pointers in it are 32-bit.

#include <cstddef>
#include <cstdint>

namespace updater::aspi_srb {

// SRB_ExecSCSICmd fields, by their published names.
inline constexpr std::size_t kCmd = 0;         // u8, the ASPI command code
inline constexpr std::size_t kStatus = 1;      // u8, set by the layer
inline constexpr std::size_t kHaId = 2;        // u8, host adapter number
inline constexpr std::size_t kFlags = 3;       // u8
inline constexpr std::size_t kHdrRsvd = 4;     // u32, reserved
inline constexpr std::size_t kTarget = 8;      // u8, target id
inline constexpr std::size_t kLun = 9;         // u8
inline constexpr std::size_t kRsvd1 = 10;      // u16, alignment
inline constexpr std::size_t kBufLen = 12;     // u32, data length
inline constexpr std::size_t kBufPointer = 16; // u32, data buffer address
inline constexpr std::size_t kSenseLen = 20;   // u8
inline constexpr std::size_t kCdbLen = 21;     // u8
inline constexpr std::size_t kHaStat = 22;     // u8, set by the layer
inline constexpr std::size_t kTargStat = 23;   // u8, set by the layer
inline constexpr std::size_t kPostProc = 24;   // u32, posting routine address
inline constexpr std::size_t kRsvd2 = 28;      // 20 bytes, reserved
inline constexpr std::size_t kCdbByte = 48;    // 16 bytes
inline constexpr std::size_t kSenseArea = 64;  // 16 bytes (SENSE_LEN + 2)

inline constexpr std::size_t kRsvd2Size = 20;
inline constexpr std::size_t kCdbFieldSize = 16;
inline constexpr std::size_t kSenseAreaSize = 16;
/// The published structure's size.
inline constexpr std::size_t kStructureSize = 80;
/// What the program allocates for each request: the structure and zeros.
inline constexpr std::size_t kBlockSize = 256;

/// SC_EXEC_SCSI_CMD.
inline constexpr std::uint8_t kExecScsiCmd = 0x02;

// SRB_Flags bits.
inline constexpr std::uint8_t kPosting = 0x01;  // SRB_POSTING
inline constexpr std::uint8_t kDirIn = 0x08;    // SRB_DIR_IN
inline constexpr std::uint8_t kDirOut = 0x10;   // SRB_DIR_OUT

/// SENSE_LEN, what every request asks for.
inline constexpr std::uint8_t kSenseLength = 14;

// SRB_Status values.
inline constexpr std::uint8_t kPending = 0x00;     // SS_PENDING
inline constexpr std::uint8_t kComplete = 0x01;    // SS_COMP
inline constexpr std::uint8_t kAborted = 0x02;     // SS_ABORTED
inline constexpr std::uint8_t kError = 0x04;       // SS_ERR
inline constexpr std::uint8_t kInvalidHa = 0x81;   // SS_INVALID_HA
inline constexpr std::uint8_t kNoDevice = 0x82;    // SS_NO_DEVICE
inline constexpr std::uint8_t kFailedInit = 0xE4;  // SS_FAILED_INIT

/// SRB_HaStat of a target that did not answer its selection.
inline constexpr std::uint8_t kHaStatSelectionTimeout = 0x11;

/// GetASPI32SupportInfo's word: low byte the host adapter count, second
/// byte the layer's status.
inline constexpr std::uint32_t supportAdapterCount(std::uint32_t word) { return word & 0xFF; }
inline constexpr std::uint32_t supportStatus(std::uint32_t word) { return (word >> 8) & 0xFF; }

}  // namespace updater::aspi_srb
