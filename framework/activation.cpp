// activation.cpp -- the three activation functions every camera type shares,
// and the inert gizmo callbacks.
#include "framework/camera.h"
#include "framework/handler.h"

namespace lentara {

int ActivateHandler(int version, GlobalFunc *global, void *local, void *serverData, HostServices &svc,
                    unsigned needs, const HandlerTable &t) {
    const int rc = BindHandlerServices(svc, version, global, serverData, needs);
    if (rc != AFUNC_OK) return rc;
    auto *h = static_cast<LWCameraHandler *>(local);
    if (!h) return AFUNC_BADLOCAL;
    if (h->inst) {
        h->inst->priv = serverData;
        h->inst->create = t.create;
        h->inst->destroy = t.destroy;
        h->inst->copy = t.copy;
        h->inst->load = t.load;
        h->inst->save = t.save;
        h->inst->descln = t.describe;
    }
    // The item record is absent when the handler is called outside Layout.
    if (h->item) {
        h->item->useItems = nullptr;
        h->item->changeID = nullptr;
        h->item->changeName = nullptr;
    }
    if (h->rend) {
        h->rend->init = t.init;
        h->rend->cleanup = t.cleanup;
        h->rend->newTime = t.newTime;
    }
    h->preview = t.preview;
    h->newFrame = t.newFrame;
    h->evaluate = t.evaluate;
    h->flags = t.flags;
    return AFUNC_OK;
}

namespace {
LWError NoPanelOptions(LWInstance) noexcept { return "Could not create the panel"; }
} // namespace

int ActivateInterface(int version, GlobalFunc *global, void *local, void *serverData, HostServices &svc,
                      const PanelDesc &panel, void *&gInstance, LWXPanelGetFunc *get, LWXPanelSetFunc *set) {
    if (version != LWINTERFACE_VERSION) return AFUNC_BADVERSION;
    StoreGlobal(svc, global, serverData);
    auto *ui = static_cast<LWInterface *>(local);
    if (!ui) return AFUNC_BADLOCAL;
    // The panel service is fetched afresh: the interface may be activated
    // without a handler activation in between. The panel is built with what
    // this lookup gave, but a missing service does not clear the shared
    // pointer: panels, logos and result views of running instances still
    // draw and are destroyed through it.
    HostServices panelServices = svc;
    if (global) {
        panelServices.xpanf = static_cast<LWXPanelFuncs *>(global(LWXPANELFUNCS_GLOBAL, GFUSE_TRANSIENT));
        if (panelServices.xpanf) svc.xpanf = panelServices.xpanf;
    }
    ui->panel = CreateParameterPanel(panelServices, panel, ui->inst, gInstance, get, set);
    // The host calls options when there is no panel, so one of the two is
    // always set: without a panel, an options callback that reports why.
    ui->options = ui->panel ? nullptr : NoPanelOptions;
    ui->command = nullptr;
    return AFUNC_OK;
}

int ActivateGizmo(int version, GlobalFunc *global, void *local, void *serverData, HostServices &svc,
                  LWGizmoFuncs *table) {
    if (version != LWGIZMO_VERSION_ACCEPTED) return AFUNC_BADVERSION;
    StoreGlobal(svc, global, serverData);
    auto *g = static_cast<LWGizmo *>(local);
    if (!g) return AFUNC_BADLOCAL;
    g->gizmo = table; // static: lives as long as the module
    return AFUNC_OK;
}

const char *Gizmo_help(LWInstance, LWToolEvent *) { return ""; }
void Gizmo_done(LWInstance) {}
void Gizmo_draw(LWInstance, LWCustomObjAccess *) {}
int Gizmo_handle(LWInstance, LWToolEvent *, int, LWDVector) { return -1; }
int Gizmo_start(LWInstance, LWToolEvent *) { return -1; }
int Gizmo_adjust(LWInstance, LWToolEvent *, int) { return -1; }
int Gizmo_down(LWInstance, LWToolEvent *) { return 0; }
void Gizmo_move(LWInstance, LWToolEvent *) {}
void Gizmo_up(LWInstance, LWToolEvent *) {}
void Gizmo_event(LWInstance, int) {}

} // namespace lentara
