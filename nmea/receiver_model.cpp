#include "nmea/receiver_model.h"

#include <cstring>

int32_t resetButtonsPending = 0;

namespace {

// `order` sorts by the number as sent, then by system.
bool Before(const SatelliteSlot& a, const SatelliteSlot& b) {
    if (a.number != b.number)
        return a.number < b.number;
    return a.system < b.system;
}

// Moves slot `index`, whose place in `order` is `at`, to where its number
// belongs. Satellites appear and change numbers rarely: a pass over the
// order then costs nothing worth keeping a tree for.
void Reorder(ReceiverModel& status, int at, uint8_t index) {
    uint8_t* order = status.order;
    const SatelliteSlot* slots = status.satellites;
    while (at > 0 && Before(slots[index], slots[order[at - 1]])) {
        order[at] = order[at - 1];
        --at;
    }
    while (at + 1 < status.satelliteCount && Before(slots[order[at + 1]], slots[index])) {
        order[at] = order[at + 1];
        ++at;
    }
    order[at] = index;
}

int PlaceInOrder(const ReceiverModel& status, uint8_t index) {
    for (int at = 0; at < status.satelliteCount; ++at)
        if (status.order[at] == index)
            return at;
    return -1;  // not reached: every taken slot is in the order
}

// A slot to take: the next free one, else one whose satellite is neither in
// view nor used; -1 when every slot holds one that is.
int FreeSlot(ReceiverModel& status) {
    if (status.satelliteCount < kSatelliteSlots) {
        const int index = status.satelliteCount++;
        status.order[index] = static_cast<uint8_t>(index);
        return index;
    }
    for (int i = 0; i < kSatelliteSlots; ++i) {
        const SatelliteSlot& slot = status.satellites[i];
        if (slot.inView == 0 && slot.used == 0) {
            status.slotOf[static_cast<int>(slot.system)][slot.own] = 0;
            return i;
        }
    }
    return -1;
}

}  // namespace

void ClearReceiverModel(ReceiverModel& status) {
    std::memset(&status.sent, 0, sizeof status.sent);
    status.fix = FixNumbers{};
    status.fix.satellitesUsed = -1;
    status.accuracyKnown = false;
    status.gnsKnown = false;
    std::memset(status.satellites, 0, sizeof status.satellites);
    std::memset(status.order, 0, sizeof status.order);
    std::memset(status.slotOf, 0, sizeof status.slotOf);
    status.satelliteCount = 0;
}

void ResetFixClock(ReceiverModel& status) {
    status.ttffStartTick = 0;
    status.ttffDone = 0;
}

void ResetCycleFlags() {
    resetButtonsPending = 0;
}

const SatelliteSlot* FindSatellite(const ReceiverModel& status, SatelliteId id) {
    if (id.own <= 0 || id.own >= kOwnNumbers)
        return nullptr;
    const uint16_t taken = status.slotOf[static_cast<int>(id.system)][id.own];
    return taken != 0 ? &status.satellites[taken - 1] : nullptr;
}

SatelliteSlot* AddSatellite(ReceiverModel& status, SatelliteId id, int32_t number, bool* added) {
    const int index = FreeSlot(status);
    if (index < 0)
        return nullptr;
    SatelliteSlot& slot = status.satellites[index];
    slot = SatelliteSlot{};
    slot.system = id.system;
    slot.own = static_cast<uint8_t>(id.own);
    slot.number = number;
    status.slotOf[static_cast<int>(id.system)][id.own] = static_cast<uint16_t>(index + 1);
    Reorder(status, PlaceInOrder(status, static_cast<uint8_t>(index)), static_cast<uint8_t>(index));
    *added = true;
    return &slot;
}

void PlaceByNumber(ReceiverModel& status, SatelliteSlot& slot) {
    const auto index = static_cast<uint8_t>(&slot - status.satellites);
    Reorder(status, PlaceInOrder(status, index), index);
}
