#pragma once
// The host names a server answers: a browser sends the name it looked up,
// so a page that some other name leads to (a name of an attacker's that
// resolves to this machine) is never run as this site's.
#include <string>
#include <string_view>
#include <vector>

namespace host {

// A Host field's name, as compared: lower case, without the port, the
// brackets of an IPv6 address or a trailing dot; an address in its
// canonical form.
std::string HostNameOf(std::string_view host_field);

// Whether the Host field names one of `names` (each as HostNameOf gives).
bool ServesHost(std::string_view host_field, const std::vector<std::string>& names);

// What `qe serve` answers when it is not told: the address it listens on,
// "localhost", and the machine's own addresses and name.
std::vector<std::string> DefaultHostNames(const std::string& listen_host);

}  // namespace host
