// The two ways of reading a network adapter's permanent address, tried in this order
// by the fingerprint; each gives twelve uppercase hexadecimal digits, or false.
#pragma once

#include <string>

// E: every adapter listed under the NetworkCards key is asked for its permanent
// station address; the address that sorts first wins.
bool ReadAdapterAddressFromDrivers(std::string* address);
// F: the adapter status of the first NetBIOS adapter.
bool ReadAdapterAddressFromNetbios(std::string* address);
