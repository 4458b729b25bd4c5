#include "net/net_layer.h"

namespace kestrava {

std::int64_t send_datagram(NetLayer& net, const std::optional<MixerLink>& link,
                           const std::uint8_t* buffer, std::int64_t length) {
    if (!link) {
        return -1;
    }
    return net.send_on(*link, buffer, length);
}

}  // namespace kestrava
