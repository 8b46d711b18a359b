#include "router/core/PhaseRelease.h"

#include "router/core/GlobalRouter.h"

void releaseTreeEdges(Net& net) { decltype(net.treeEdges)().swap(net.treeEdges); }

void releaseAfter2D(GlobalRouter& router, NetDB& db) {
    for (Net& net : db.nets)
        for (EdgeUseMap& m : net.edgeUse) m.clear();
    router.releaseSearchState();
}
