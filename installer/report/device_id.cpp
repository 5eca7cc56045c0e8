#include "installer/report/device_id.h"

#include "installer/report/adapter_address_probe.h"
#include "installer/report/device_id_cache.h"
#include "installer/report/disk_serial_probe.h"
#include "installer/report/hardware_fingerprint.h"
#include "installer/report/processor_probe.h"

std::string GetHardwareFingerprint() {
  return ComposeFingerprint(ReadProcessorPart(),
                            {ReadDiskSerialWithAdminRights, ReadDiskSerialAsScsiDrive,
                             ReadDiskSerialWithZeroRights, ReadDiskSerialUsingSmart},
                            {ReadAdapterAddressFromDrivers, ReadAdapterAddressFromNetbios});
}

std::string GetDeviceId() {
  static DeviceIdCache cache;
  return cache.Get(GetHardwareFingerprint);
}
