// The four ways of reading the first disk's serial number, tried in this order by the
// fingerprint. Each tries drives 0 to 15 and stops at the first that answers; false
// when none does (no such device, no rights, the request is refused).
#pragma once

#include <string>

// A: SMART IDENTIFY through the physical drive opened for reading and writing.
bool ReadDiskSerialWithAdminRights(std::string* serial);
// B: IDENTIFY through the SCSI miniport of controllers 0 to 15, targets 0 and 1.
bool ReadDiskSerialAsScsiDrive(std::string* serial);
// C: the storage device descriptor, which needs no access rights. A descriptor without
// a serial gives an empty text and still succeeds.
bool ReadDiskSerialWithZeroRights(std::string* serial);
// D: SMART IDENTIFY with the drive opened for sharing read, write and delete.
bool ReadDiskSerialUsingSmart(std::string* serial);
