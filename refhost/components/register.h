// Registers the host's outside components in a host's component factory.
#pragma once

namespace orb::refhost {

class Host;

// Registers the components the host itself provides (shared properties, the
// system object, language resources, the displayer, the connection...). Each
// component made keeps a reference to `host`, which must outlive it.
void RegisterHostComponents(Host& host);

}  // namespace orb::refhost
