#include "tables/PacketError.h"

namespace offrel {

void ThrowDamagedPacket() {
    throw Error(
        "Le paquet de donn\xE9"
        "es est tronqu\xE9 ou incoh\xE9rent.");
}

}  // namespace offrel
