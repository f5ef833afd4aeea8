// Ice front, border ice and bridging events.
#include "engine/IceFront.h"

#include "engine/EngineData.h"

void LocateIceFrontStation(NodeRecord* node, BridgingEventRecord* event)
{
    if (!event) return;
    if (!node) {
        // The reach (Chainage, next Chainage] that holds the front; the upstream-most wins.
        for (NodeRecord* n = g_Nodes; n && n->Next; n = n->Next)
            if (event->FrontLocation > n->Chainage && event->FrontLocation <= n->Next->Chainage) {
                node = n;
                break;
            }
        if (!node) node = g_Nodes;
        if (!node) return;
    }
    const NodeRecord* next = node->Next;
    if (!next || next->Chainage == node->Chainage) {
        event->FrontStation = node->RiverStation;
        return;
    }
    event->FrontStation = node->RiverStation + (next->RiverStation - node->RiverStation) *
                                                   (event->FrontLocation - node->Chainage) /
                                                   (next->Chainage - node->Chainage);
}
