#include "tables/PacketError.h"
#include "base/Windows1252.h"

namespace offrel {

void ThrowDamagedPacket() {
    throw Error(W("Le paquet de données est tronqué ou incohérent."));
}

}  // namespace offrel
