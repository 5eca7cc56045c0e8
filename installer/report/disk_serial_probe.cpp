#include "installer/report/disk_serial_probe.h"

#include <windows.h>
#include <winioctl.h>
#include <ntddscsi.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "base/win/scoped_handle.h"
#include "installer/report/hardware_text.h"
#include "installer/utils/string_util.h"

using nbase::win::ScopedHandle;

namespace {

constexpr int kMaxDrives = 16;
constexpr DWORD kIdentifySize = 512;
constexpr BYTE kIdentifyDevice = 0xEC;
constexpr BYTE kIdentifyPacketDevice = 0xA1;
constexpr DWORD kMiniportIdentify = 0x001B0501;
constexpr DWORD kStorageQueryOutput = 10000;

static_assert(SMART_GET_VERSION == 0x00074080, "SMART_GET_VERSION");
static_assert(SMART_RCV_DRIVE_DATA == 0x0007C088, "SMART_RCV_DRIVE_DATA");
static_assert(IOCTL_SCSI_MINIPORT == 0x0004D008, "IOCTL_SCSI_MINIPORT");
static_assert(IOCTL_STORAGE_QUERY_PROPERTY == 0x002D1400, "IOCTL_STORAGE_QUERY_PROPERTY");
static_assert(sizeof(GETVERSIONINPARAMS) == 24, "SMART version answer");
static_assert(sizeof(SENDCMDINPARAMS) == 33, "SMART command");
static_assert(sizeof(SRB_IO_CONTROL) == 28, "miniport control header");
static_assert(offsetof(SENDCMDOUTPARAMS, bBuffer) == 16, "SMART answer header");
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, SerialNumberOffset) == 24, "descriptor");

// The IDENTIFY data inside a SENDCMDOUTPARAMS answer of `returned` bytes at `answer`.
std::string SerialFromSmartAnswer(const unsigned char* answer, DWORD returned) {
  const DWORD header = offsetof(SENDCMDOUTPARAMS, bBuffer);
  if (returned <= header) return std::string();
  return IdentifySerialText(answer + header, returned - header);
}

ScopedHandle OpenDevice(const std::wstring& path, DWORD access, DWORD share) {
  return ScopedHandle(
      CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr));
}

std::wstring PhysicalDrivePath(int drive) {
  return WStringPrintf(L"\\\\.\\PhysicalDrive%d", drive);
}

bool QuerySmartVersion(HANDLE disk, GETVERSIONINPARAMS* version) {
  DWORD returned = 0;
  *version = {};
  return DeviceIoControl(disk, SMART_GET_VERSION, nullptr, 0, version, sizeof(*version),
                         &returned, nullptr) != FALSE;
}

}  // namespace

bool ReadDiskSerialWithAdminRights(std::string* serial) {
  for (int drive = 0; drive < kMaxDrives; ++drive) {
    ScopedHandle disk = OpenDevice(PhysicalDrivePath(drive), GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (!disk) continue;
    GETVERSIONINPARAMS version;
    if (!QuerySmartVersion(disk.get(), &version) || version.bIDEDeviceMap == 0) continue;

    // The device map marks packet (ATAPI) devices in its high nibble.
    const bool packet_device = drive < 4 && (version.bIDEDeviceMap & (1u << (4 + drive))) != 0;
    SENDCMDINPARAMS command = {};
    command.cBufferSize = kIdentifySize;
    command.irDriveRegs.bFeaturesReg = 0;
    command.irDriveRegs.bSectorCountReg = 1;
    command.irDriveRegs.bSectorNumberReg = 1;
    command.irDriveRegs.bCylLowReg = 0;
    command.irDriveRegs.bCylHighReg = 0;
    command.irDriveRegs.bDriveHeadReg = static_cast<BYTE>(0xA0 | ((drive & 1) << 4));
    command.irDriveRegs.bCommandReg = packet_device ? kIdentifyPacketDevice : kIdentifyDevice;
    command.bDriveNumber = static_cast<BYTE>(drive);

    unsigned char answer[offsetof(SENDCMDOUTPARAMS, bBuffer) + kIdentifySize] = {};
    DWORD returned = 0;
    if (!DeviceIoControl(disk.get(), SMART_RCV_DRIVE_DATA, &command, sizeof(command) - 1, answer,
                         sizeof(answer), &returned, nullptr)) {
      continue;
    }
    *serial = SerialFromSmartAnswer(answer, returned);
    return true;
  }
  return false;
}

bool ReadDiskSerialAsScsiDrive(std::string* serial) {
  constexpr DWORD kHeader = sizeof(SRB_IO_CONTROL);
  constexpr DWORD kInput = kHeader + sizeof(SENDCMDINPARAMS) - 1;
  constexpr DWORD kAnswer = sizeof(SENDCMDOUTPARAMS) + kIdentifySize;
  for (int controller = 0; controller < kMaxDrives; ++controller) {
    ScopedHandle scsi = OpenDevice(WStringPrintf(L"\\\\.\\Scsi%d:", controller),
                                   GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (!scsi) continue;
    for (BYTE target = 0; target < 2; ++target) {
      alignas(8) unsigned char buffer[kHeader + kAnswer] = {};
      auto* control = reinterpret_cast<SRB_IO_CONTROL*>(buffer);
      control->HeaderLength = kHeader;
      std::memcpy(control->Signature, "SCSIDISK", 8);
      control->Timeout = 10000;
      control->ControlCode = kMiniportIdentify;
      control->Length = kAnswer;
      auto* command = reinterpret_cast<SENDCMDINPARAMS*>(buffer + kHeader);
      command->irDriveRegs.bCommandReg = kIdentifyDevice;
      command->bDriveNumber = target;

      DWORD returned = 0;
      if (!DeviceIoControl(scsi.get(), IOCTL_SCSI_MINIPORT, buffer, kInput, buffer, sizeof(buffer),
                           &returned, nullptr) ||
          returned <= kHeader) {
        continue;
      }
      const unsigned char* answer = buffer + kHeader;
      const DWORD answer_size = returned - kHeader;
      const DWORD data_offset = offsetof(SENDCMDOUTPARAMS, bBuffer);
      bool carries_data = false;
      for (DWORD i = data_offset; i < answer_size && i < data_offset + kIdentifySize; ++i) {
        carries_data = carries_data || answer[i] != 0;
      }
      if (!carries_data) continue;
      *serial = SerialFromSmartAnswer(answer, answer_size);
      return true;
    }
  }
  return false;
}

bool ReadDiskSerialWithZeroRights(std::string* serial) {
  constexpr DWORD kOffsetField = offsetof(STORAGE_DEVICE_DESCRIPTOR, SerialNumberOffset);
  for (int drive = 0; drive < kMaxDrives; ++drive) {
    ScopedHandle disk = OpenDevice(PhysicalDrivePath(drive), 0, FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (!disk) continue;
    STORAGE_PROPERTY_QUERY query = {};
    query.PropertyId = StorageDeviceProperty;
    query.QueryType = PropertyStandardQuery;
    std::vector<unsigned char> answer(kStorageQueryOutput);
    DWORD returned = 0;
    if (!DeviceIoControl(disk.get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof(query),
                         answer.data(), kStorageQueryOutput, &returned, nullptr) ||
        returned < kOffsetField + sizeof(DWORD)) {
      continue;
    }
    DWORD offset = 0;
    std::memcpy(&offset, answer.data() + kOffsetField, sizeof(offset));
    // The offset comes from the driver; text outside what it returned counts as absent.
    std::string raw;
    if (offset != 0 && offset < returned) {
      const auto* text = reinterpret_cast<const char*>(answer.data() + offset);
      raw.assign(text, strnlen(text, returned - offset));
    }
    *serial = DecodeStorageSerial(raw);
    return true;
  }
  return false;
}

bool ReadDiskSerialUsingSmart(std::string* serial) {
  constexpr DWORD kAnswer = sizeof(SENDCMDINPARAMS) + kIdentifySize;
  for (int drive = 0; drive < kMaxDrives; ++drive) {
    ScopedHandle disk = OpenDevice(PhysicalDrivePath(drive), GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    if (!disk) continue;
    GETVERSIONINPARAMS version;
    if (!QuerySmartVersion(disk.get(), &version)) continue;

    alignas(8) unsigned char buffer[kAnswer] = {};
    auto* command = reinterpret_cast<SENDCMDINPARAMS*>(buffer);
    command->cBufferSize = kIdentifySize;
    command->irDriveRegs.bCommandReg = kIdentifyDevice;
    DWORD returned = 0;
    if (!DeviceIoControl(disk.get(), SMART_RCV_DRIVE_DATA, buffer, sizeof(SENDCMDINPARAMS), buffer,
                         kAnswer, &returned, nullptr)) {
      continue;
    }
    *serial = SerialFromSmartAnswer(buffer, returned);
    return true;
  }
  return false;
}
