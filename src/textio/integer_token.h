// The value of a real token that is a plain integer, the common case of
// record samples ("2380", "-12"), without the general decimal conversion.
#pragma once

#include <string_view>

namespace smproc::textio {

// Sets out to the value of t when t is an optional sign and 1 to 19 digits
// whose value is at most 2^53, and returns true; returns false (out left
// alone) for any other token, which then takes the general conversion.
bool integer_token_value(std::string_view t, double& out);

}  // namespace smproc::textio
