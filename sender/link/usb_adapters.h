// What is known of USB serial adapters: their drivers and the USB ids of
// their chips.
//
// Users know an adapter by its chip, printed on it or in its shop listing
// ("CH340"), not by the kernel's driver, so that is the name shown. The ids
// let an adapter be recognised when no driver holds it, as when a braille
// display service has taken it.
#pragma once

#include <string>
#include <string_view>

namespace morvale {

// Whether driver is one of the USB serial drivers ("ch341", "cdc_acm").
bool isAdapterDriver(std::string_view driver);
// The chip a driver serves ("CH340" for ch341); the driver's own name when
// it is not one of them, empty when it is empty.
std::string chipOfDriver(std::string_view driver);
// The chip of a USB id "vvvv:pppp" ("1a86:7523" is a CH340); empty when the
// id is no known serial adapter's.
std::string chipOfUsbId(std::string_view id);

}  // namespace morvale
