/*
 * lwhost.h -- declarations of the LightWave 3D Layout plug-in interface used by
 * this project: the module descriptor, server records, camera handler classes,
 * global services, scene I/O states, panels and viewport drawing.
 *
 * Written from the host's published interface facts; records keep their
 * published names, member order and C types so the module is binary
 * compatible with the real host. Layouts are checked at compile time at the
 * end of this file for every ABI the project builds.
 */
#ifndef VANTOR_LWHOST_H
#define VANTOR_LWHOST_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- basic types ------------------------------------------------------- */
typedef int LWFrame;
typedef double LWTime;
typedef double LWDVector[3];
typedef float LWFVector[3];
typedef double LWDMatrix3[3][3];
typedef double LWDMatrix4[4][4];
typedef unsigned int LWID;
typedef void *LWInstance;
typedef const char *LWError;
typedef void *LWItemID;
typedef int LWItemType;
typedef int LWItemParam;
typedef void *LWChanGroupID;
typedef void *LWEnvelopeID;
typedef void *LWChannelID;
typedef void *LWTextureID;
typedef void *LWImageID;
typedef void *LWVParmID;
typedef struct st_LWMicropol *LWMicropolID;
typedef struct st_TxtrContext *LWTxtrContextID;
typedef void *LWXPanelID;
typedef void *LWXPDrAreaID;
typedef void *LWXPanelHint;
typedef void *LWCameraEvaluatorID;
typedef struct st_LWToolEvent LWToolEvent;
typedef struct st_LWNameChangeData LWNameChangeData;

typedef void *GlobalFunc(const char *serviceName, int useMode);
typedef int ActivateFunc(int version, GlobalFunc *global, void *local, void *serverData);

#define LWITEM_NULL ((LWItemID)0)
#define LWITEM_ALL ((LWItemID)~(size_t)0)

/* ---- module entry -------------------------------------------------------- */
#define MOD_SYSSYNC 0x04121994u
#define MOD_SYSVER 3u
#define MOD_MACHINE_WIN 0x300u
#define MOD_MACHINE_MAC 0x400u
#define MOD_MACHINE_UNIX 0x200u

typedef struct st_ServerTagInfo {
    const char *string;
    unsigned int tag;
} ServerTagInfo;

typedef struct st_ServerRecord {
    const char *className;
    const char *name;
    ActivateFunc *activate;
    ServerTagInfo *tagInfo;
} ServerRecord;

typedef struct st_ModuleDescriptor {
    unsigned int sysSync;
    unsigned int sysVersion;
    unsigned int sysMachine;
    void *(*startup)(void);
    void (*shutdown)(void *serverData);
    ServerRecord *serverDefs;
} ModuleDescriptor;

#define SRVTAG_USERNAME 0x00000u
#define SRVTAG_BUTTONNAME 0x10000u
#define SRVTAG_CMDGROUP 0x20000u
#define SRVTAG_MENU 0x30000u
#define SRVTAG_DESCRIPTION 0x40000u
#define SRVTAG_ENABLE 0x50000u
#define SRVTAG_SELECTCMD 0x60000u
#define SRVTAG_NODEGROUP 0x70000u
#define LANGID_USENGLISH 0x0409u
#define LANGID_UKENGLISH 0x0809u

#define AFUNC_OK 0
#define AFUNC_BADVERSION 1
#define AFUNC_BADGLOBAL 2
#define AFUNC_BADLOCAL 3
#define AFUNC_BADAPP 4
#define AFUNC_BADAPP_SILENT 5

#define GFUSE_TRANSIENT 0
#define GFUSE_ACQUIRE 1
#define GFUSE_RELEASE 2

/* ---- classes and services ----------------------------------------------- */
#define LWCAMERA_HCLASS "CameraHandler"
#define LWCAMERA_ICLASS "CameraInterface"
#define LWCAMERA_GCLASS "CameraGizmo"
#define LWCAMERA_VERSION 2
#define LWINTERFACE_VERSION 4
#define LWGIZMO_VERSION_ACCEPTED 1
#define LWCUSTOMOBJ_VERSION 5

#define LWITEMINFO_GLOBAL "LW Item Info 4"
#define LWCAMERAINFO_GLOBAL "LW Camera Info 5"
#define LWTIMEINFO_GLOBAL "LW Time Info"
#define LWXPANELFUNCS_GLOBAL "LWXPanel"
#define LWVPARMFUNCS_GLOBAL "LWVParmFuncs 2"
#define LWMESSAGEFUNCS_GLOBAL "Info Messages 2"
#define LWSYSTEMID_GLOBAL "System ID"
#define LWCAMERAEVALUATIONFUNCS_GLOBAL "LW Camera Evaluation Funcs 2"

/* ---- records used by the camera classes ---------------------------------- */
typedef struct st_LWBlockIdent {
    LWID id;
    const char *token;
} LWBlockIdent;

typedef struct st_LWLoadState {
    int ioMode;
    void *readData;
    int (*read)(void *data, char *buffer, int length);
    int (*readI1)(void *data, char *, int n);
    int (*readI2)(void *data, short *, int n);
    int (*readI4)(void *data, int *, int n);
    int (*readU1)(void *data, unsigned char *, int n);
    int (*readU2)(void *data, unsigned short *, int n);
    int (*readU4)(void *data, unsigned int *, int n);
    int (*readFP)(void *data, float *, int n);
    int (*readStr)(void *data, char *, int max);
    LWID (*readID)(void *data, const LWBlockIdent *);
    LWID (*findBlk)(void *data, const LWBlockIdent *);
    void (*endBlk)(void *data);
    int (*depth)(void *data);
    int (*readDP)(void *data, double *, int n);
} LWLoadState;

typedef struct st_LWSaveState {
    int ioMode;
    void *writeData;
    void (*write)(void *data, const char *buffer, int length);
    void (*writeI1)(void *data, const char *, int n);
    void (*writeI2)(void *data, const short *, int n);
    void (*writeI4)(void *data, const int *, int n);
    void (*writeU1)(void *data, const unsigned char *, int n);
    void (*writeU2)(void *data, const unsigned short *, int n);
    void (*writeU4)(void *data, const unsigned int *, int n);
    void (*writeFP)(void *data, const float *, int n);
    void (*writeStr)(void *data, const char *);
    void (*writeID)(void *data, const LWBlockIdent *);
    void (*beginBlk)(void *data, const LWBlockIdent *, int leaf);
    void (*endBlk)(void *data);
    int (*depth)(void *data);
    void (*writeDP)(void *data, const double *, int n);
} LWSaveState;

#define LWIO_BINARY 0
#define LWIO_OBJECT 0
#define LWIO_ASCII 1
#define LWIO_SCENE 1

typedef struct st_LWFrameInfo {
    LWFrame frame;
    LWTime start;
    LWTime duration;
    double framesPerSecond;
    unsigned int motionSteps;
} LWFrameInfo;

typedef struct st_LWCameraAccess {
    LWItemID cameraID;
    LWDVector worldPos;
    LWDVector toWorld[3];
    LWDVector toCamera[3];
    double filmSize[2];
} LWCameraAccess;

typedef struct st_LWCameraRay {
    LWDVector rayPos;
    LWDVector rayDir;
    LWDVector filmNorm;
    LWDVector filter[3];
} LWCameraRay;

typedef struct st_LWInstanceFuncs {
    void *priv;
    LWInstance (*create)(void *priv, void *context, LWError *error);
    void (*destroy)(LWInstance);
    LWError (*copy)(LWInstance to, LWInstance from);
    LWError (*load)(LWInstance, const LWLoadState *);
    LWError (*save)(LWInstance, const LWSaveState *);
    const char *(*descln)(LWInstance);
} LWInstanceFuncs;

typedef struct st_LWItemFuncs {
    const LWItemID *(*useItems)(LWInstance);
    void (*changeID)(LWInstance, const LWItemID *);
    void (*changeName)(LWInstance, const LWNameChangeData *);
} LWItemFuncs;

#define LWINIT_PREVIEW 0
#define LWINIT_RENDER 1

typedef struct st_LWRenderFuncs {
    LWError (*init)(LWInstance, int mode);
    void (*cleanup)(LWInstance);
    LWError (*newTime)(LWInstance, LWFrame frame, LWTime time);
} LWRenderFuncs;

typedef struct st_LWCameraHandler {
    LWInstanceFuncs *inst;
    LWItemFuncs *item;
    LWRenderFuncs *rend;
    int (*preview)(LWInstance, double lpx, double lpy, LWDMatrix4 projection, const LWCameraAccess *access);
    LWError (*newFrame)(LWInstance, const LWFrameInfo *frameInfo, const LWCameraAccess *access);
    int (*evaluate)(LWInstance, double fpx, double fpy, double lpx, double lpy, double fractime,
                    LWCameraRay *ray, const LWCameraAccess *access);
    unsigned int (*flags)(LWInstance);
} LWCameraHandler;

#define LWCAMTYPEEVAL_NO_RAY 0
#define LWCAMTYPEEVAL_RAY 1
#define LWCAMTYPEEVAL_DO_DEF_INTERP 3
#define LWCAMTYPEF_SUPPORTSDOF 1u

typedef struct st_LWInterface {
    LWInstance inst;
    LWXPanelID panel;
    LWError (*options)(LWInstance);
    LWError (*command)(LWInstance, const char *);
} LWInterface;

/* ---- viewport drawing ---------------------------------------------------- */
#define LWVIEW_ZY 0
#define LWVIEW_XZ 1
#define LWVIEW_XY 2
#define LWVIEW_PERSP 3
#define LWVIEW_LIGHT 4
#define LWVIEW_CAMERA 5
#define LWVIEW_SCHEMA 6
#define LWCOFL_SELECTED 1
#define LWCOFL_PICKING 2
#define LWCSYS_WORLD 0
#define LWCSYS_OBJECT 1
#define LWCSYS_ICON 2
#define LWCSYS_VIEWPORT 3
#define LWLPAT_SOLID 0
#define LWLPAT_DOT 1
#define LWLPAT_DASH 2
#define LWLPAT_LONGDOT 3
#define LWJUST_LEFT 0
#define LWJUST_CENTER 1
#define LWJUST_RIGHT 2

typedef struct st_LWCustomObjAccess {
    int view;
    int flags;
    void *dispData;
    void (*setColor)(void *, float rgba[4]);
    void (*setPattern)(void *, int linePattern);
    void (*setTexture)(void *, int size, unsigned char *rgbaBytes);
    void (*setUVs)(void *, double[2], double[2], double[2], double[2]);
    void (*point)(void *, double[3], int csys);
    void (*line)(void *, double[3], double[3], int csys);
    void (*triangle)(void *, double[3], double[3], double[3], int csys);
    void (*quad)(void *, double[3], double[3], double[3], double[3], int csys);
    void (*circle)(void *, double[3], double radius, int csys);
    void (*text)(void *, double[3], const char *, int justify, int csys);
    LWDVector viewPos;
    LWDVector viewDir;
    void (*setCSysItem)(void *, LWItemID item);
    void (*polygon)(void *, unsigned int numVerts, double[][3], int csys);
    void (*polyIndexed)(void *, unsigned int numVerts, unsigned int indices[], double[][3], int csys);
    void (*setDrawMode)(void *, unsigned int mode);
    void (*disk)(void *, double[3], double radius, int csys);
    void (*setPart)(void *, unsigned int part);
} LWCustomObjAccess;

typedef struct st_LWGizmoFuncs {
    void (*done)(LWInstance);
    void (*draw)(LWInstance, LWCustomObjAccess *);
    const char *(*help)(LWInstance, LWToolEvent *);
    int (*dirty)(LWInstance);
    int (*count)(LWInstance, LWToolEvent *);
    int (*handle)(LWInstance, LWToolEvent *, int i, LWDVector pos);
    int (*start)(LWInstance, LWToolEvent *);
    int (*adjust)(LWInstance, LWToolEvent *, int i);
    int (*down)(LWInstance, LWToolEvent *);
    void (*move)(LWInstance, LWToolEvent *);
    void (*up)(LWInstance, LWToolEvent *);
    void (*event)(LWInstance, int code);
    LWXPanelID (*panel)(LWInstance);
} LWGizmoFuncs;

/* Full version-3 record; the version-1 record this project accepts is its
 * first two members (instance, gizmo). */
typedef struct st_LWGizmo {
    LWInstance instance;
    LWGizmoFuncs *gizmo;
    const LWItemID *(*pickItems)(LWInstance, const LWItemID *drawItems, const unsigned int *drawParts);
} LWGizmo;

/* ---- global services ----------------------------------------------------- */
typedef struct st_LWTimeInfo {
    LWTime time;
    LWFrame frame;
} LWTimeInfo;

#define LWI_OBJECT 0
#define LWI_LIGHT 1
#define LWI_CAMERA 2
#define LWI_BONE 3

#define LWIP_POSITION 1
#define LWIP_RIGHT 2
#define LWIP_UP 3
#define LWIP_FORWARD 4
#define LWIP_ROTATION 5
#define LWIP_SCALING 6
#define LWIP_PIVOT 7
#define LWIP_W_POSITION 8
#define LWIP_W_RIGHT 9
#define LWIP_W_UP 10
#define LWIP_W_FORWARD 11
#define LWIP_PIVOT_ROT 12

/* Version-4 table ("LW Item Info 4"): the first 24 members of version 5;
 * goalStrength takes no time argument in this version. */
typedef struct st_LWItemInfo {
    LWItemID (*first)(LWItemType type, LWItemID boneObject);
    LWItemID (*next)(LWItemID);
    LWItemID (*firstChild)(LWItemID parent);
    LWItemID (*nextChild)(LWItemID parent, LWItemID prevChild);
    LWItemID (*parent)(LWItemID);
    LWItemID (*target)(LWItemID);
    LWItemID (*goal)(LWItemID);
    LWItemType (*type)(LWItemID);
    const char *(*name)(LWItemID);
    void (*param)(LWItemID, LWItemParam, LWTime, LWDVector out);
    unsigned int (*limits)(LWItemID, LWItemParam, LWDVector min, LWDVector max);
    const char *(*getTag)(LWItemID, int);
    void (*setTag)(LWItemID, int, const char *);
    LWChanGroupID (*chanGroup)(LWItemID);
    const char *(*server)(LWItemID, const char *className, int index);
    unsigned int (*serverFlags)(LWItemID, const char *className, int index);
    void (*controller)(LWItemID, LWItemParam, int type[3]);
    unsigned int (*flags)(LWItemID);
    LWTime (*lookAhead)(LWItemID);
    double (*goalStrength)(LWItemID);
    void (*stiffness)(LWItemID, LWItemParam, LWDVector);
    unsigned int (*axisLocks)(LWItemID, LWItemParam);
    unsigned int (*maxLookSteps)(LWItemID);
    double (*reliableDistance)(LWItemID);
} LWItemInfo;

typedef struct st_LWFrameTimingInfo LWFrameTimingInfo;

typedef struct st_LWCameraInfo {
    double (*zoomFactor)(LWItemID, LWTime);
    double (*focalLength)(LWItemID, LWTime);
    double (*focalDistance)(LWItemID, LWTime);
    double (*fStop)(LWItemID, LWTime);
    double (*blurLength)(LWItemID, LWTime);
    void (*fovAngles)(LWItemID, LWTime, double *horizontal, double *vertical);
    unsigned int (*flags)(LWItemID);
    void (*resolution)(LWItemID, int *width, int *height);
    double (*pixelAspect)(LWItemID, LWTime);
    double (*separation)(LWItemID, LWTime);
    void (*regionLimits)(LWItemID, int *x0, int *y0, int *x1, int *y1);
    void (*maskLimits)(LWItemID, int *x0, int *y0, int *x1, int *y1);
    void (*maskColor)(LWItemID, LWDVector color);
    unsigned int (*motionBlur)(LWItemID);
    unsigned int (*fieldRendering)(LWItemID);
    int (*irisPos)(LWItemID, LWTime, int pass, float *irisX, float *irisY);
    int (*usingGlobalResolution)(LWItemID);
    int (*usingGlobalBlur)(LWItemID);
    int (*usingGlobalMask)(LWItemID);
    unsigned int (*motionBlurPasses)(LWItemID, LWTime);
    double (*shutterEfficiency)(LWItemID, LWTime);
    unsigned int (*noiseSampler)(LWItemID);
    void (*filmSize)(LWItemID, double *width, double *height);
    unsigned int (*frameTiming)(LWItemID, LWFrame, LWFrameTimingInfo *);
    unsigned int (*antiAliasing)(LWItemID, LWTime);
    double (*overSampling)(LWItemID, LWTime);
    void (*diaphragm)(LWItemID, LWTime, int *sides, double *rotation);
} LWCameraInfo;

typedef struct st_LWCameraEvaluationFuncs {
    LWCameraEvaluatorID (*create)(LWItemID camera);
    void (*destroy)(LWCameraEvaluatorID);
    LWError (*init)(LWCameraEvaluatorID, int mode);
    void (*cleanUp)(LWCameraEvaluatorID);
    LWError (*newTime)(LWCameraEvaluatorID, LWFrame frame, LWTime time);
    int (*preview)(LWCameraEvaluatorID, double lpx, double lpy, LWDMatrix4 projection);
    LWError (*newFrame)(LWCameraEvaluatorID);
    int (*evaluate)(LWCameraEvaluatorID, double fpx, double fpy, double lpx, double lpy, double fractime,
                    LWCameraRay *ray);
} LWCameraEvaluationFuncs;

typedef int LWVP_EventFunc(LWVParmID vp, void *userData, int eventCode, void *eventData);

#define LWVP_FLOAT 0x10
#define LWVP_PERCENT 0x20
#define LWVP_DIST 0x30
#define LWVP_ANGLE 0x40
#define LWVP_COLOR 0x51
#define LWVP_COLORSIMPLE 0x61
#define LWVPF_VECTOR 0x01
#define LWVPDT_NOTXTR (-1)
#define LWVPSF_ENV 1
#define LWVPSF_TEX 2

typedef struct st_LWVParmFuncs {
    LWVParmID (*create)(int envType, int texType);
    void (*destroy)(LWVParmID);
    void (*setup)(LWVParmID, const char *channelName, LWChanGroupID group, LWTxtrContextID textureContext,
                  LWVP_EventFunc *eventFunc, const char *pluginName, void *userData);
    LWError (*copy)(LWVParmID to, LWVParmID from);
    LWError (*load)(LWVParmID, const LWLoadState *);
    LWError (*save)(LWVParmID, const LWSaveState *);
    double (*getVal)(LWVParmID, LWTime t, LWMicropolID mp, double *result);
    int (*setVal)(LWVParmID, double *value);
    int (*getState)(LWVParmID);
    void (*setState)(LWVParmID, int state);
    void (*editEnv)(LWVParmID);
    void (*editTex)(LWVParmID);
    void (*initMP)(LWMicropolID);
    void (*getEnv)(LWVParmID, LWEnvelopeID envList[3]);
    LWTextureID (*getTex)(LWVParmID);
} LWVParmFuncs;

typedef struct st_LWMessageFuncs {
    void (*info)(const char *, const char *);
    void (*error)(const char *, const char *);
    void (*warning)(const char *, const char *);
    int (*okCancel)(const char *title, const char *, const char *);
    int (*yesNo)(const char *title, const char *, const char *);
    int (*yesNoCan)(const char *title, const char *, const char *);
    int (*yesNoAll)(const char *title, const char *, const char *);
} LWMessageFuncs;

#define LWSYS_TYPEBITS 0xF0000000u
#define LWSYS_SERIALBITS 0x0FFFFFFFu
#define LWSYS_LAYOUT 0x00000000u
#define LWSYS_MODELER 0x10000000u
#define LWSYS_SCREAMERNET 0x20000000u
#define LWSYS_OTHER 0x80000000u

/* ---- panels ---------------------------------------------------------------- */
typedef struct st_LWXPDrawFuncs {
    void (*drawPixel)(LWXPDrAreaID, int colour, int x, int y);
    void (*drawRGBPixel)(LWXPDrAreaID, int r, int g, int b, int x, int y);
    void (*drawLine)(LWXPDrAreaID, int colour, int x, int y, int x2, int y2);
    void (*drawBox)(LWXPDrAreaID, int colour, int x, int y, int w, int h);
    void (*drawRGBBox)(LWXPDrAreaID, int r, int g, int b, int x, int y, int w, int h);
    void (*drawBorder)(LWXPDrAreaID, int indent, int x, int y, int w, int h);
    int (*textWidth)(LWXPDrAreaID, char *text);
    int (*textHeight)(LWXPDrAreaID, char *text);
    void (*drawText)(LWXPDrAreaID, char *text, int colour, int x, int y);
} LWXPDrawFuncs;

typedef struct st_LWXPanelControl {
    unsigned int cid;
    const char *label;
    const char *ctrlclass;
} LWXPanelControl;

typedef struct st_LWXPanelDataDesc {
    unsigned int vid;
    const char *name;
    const char *datatype;
} LWXPanelDataDesc;

typedef int LWXPRefreshCode;
typedef void *LWXPanelGetFunc(void *instance, unsigned int vid);
typedef LWXPRefreshCode LWXPanelSetFunc(void *instance, unsigned int vid, void *value);
typedef int LWXPanelPopCntFunc(void *userData);
typedef const char *LWXPanelPopNameFunc(void *userData, int index);
typedef void LWXPanelControlDrawFunc(LWXPanelID panel, unsigned int cid, LWXPDrAreaID area, int w, int h);
typedef void LWXPanelDestroyNotifyFunc(void *panelUserData);

#define LWXPRC_NONE 0
#define LWXPRC_DFLT 1
#define LWXPRC_DRAW 2
#define LWXPRC_FULL 3

#define LWXP_VIEW 1
#define LWXP_FORM 2

#define LWXPDLG_OKCANCEL 2
#define LWXPDLG_DONE 3
#define LWXPDLG_OKONLY 4
#define LWXPDLG_YESNO 5
#define LWXPDLG_YESNOALL 6
#define LWXPDLG_YESNOCAN 7

typedef struct st_LWXPanelFuncs {
    int version;
    LWXPDrawFuncs *drawf;
    LWXPanelID (*create)(int type, LWXPanelControl *controls);
    void (*destroy)(LWXPanelID);
    void (*describe)(LWXPanelID, LWXPanelDataDesc *data, LWXPanelGetFunc *get, LWXPanelSetFunc *set);
    void (*hint)(LWXPanelID, unsigned int id, LWXPanelHint *hints);
    void *(*getData)(LWXPanelID, unsigned int id);
    void (*setData)(LWXPanelID, unsigned int id, void *data);
    void *(*formGet)(LWXPanelID, unsigned int vid);
    void (*formSet)(LWXPanelID, unsigned int vid, void *value);
    void (*viewInst)(LWXPanelID, void *instance);
    void (*viewRefresh)(LWXPanelID);
    int (*post)(LWXPanelID);
    int (*open)(LWXPanelID);
} LWXPanelFuncs;

/* Hint tags: the low byte holds the number of fixed arguments, bit 0x80 marks a
 * trailing id list ended by 0. */
#define XPTAG_END 0u
#define XPTAG_FOCUS 0x3D001201u
#define XPTAG_CTRLCFG 0x3D017403u
#define XPTAG_DRAWCBFUNC 0x3D016502u
#define XPTAG_POPFUNCS 0x3D016203u
#define XPTAG_DIVADD 0x3D021481u
#define XPTAG_SENS 0x3D014402u
#define XPTAG_MIN 0x3D014002u
#define XPTAG_MAX 0x3D014102u
#define XPTAG_ENABLE 0x3D01F984u
#define XPTAG_DLOGTYPE 0x3D02BD01u

#define THUM_SML 0x1u
#define THUM_MED 0x2u
#define THUM_LRG 0x4u
#define THUM_XLG 0x8u
#define THUM_FULL 0x80000000u

#ifdef __cplusplus
} /* extern "C" */
#endif

/* ---- layout checks ----------------------------------------------------------
 * Sizes and offsets per ABI, from the host's published layouts. */
#ifdef __cplusplus
#define LWH_SA(c, m) static_assert(c, m)
#else
#define LWH_SA(c, m) _Static_assert(c, m)
#endif

#if defined(_WIN64) || defined(__x86_64__) || defined(__aarch64__)
#define LWH_P 8
#define LWH_DALIGN 8
#elif defined(_WIN32)
#define LWH_P 4
#define LWH_DALIGN 8
#elif defined(__i386__)
#define LWH_P 4
#define LWH_DALIGN 4
#else
#error "unsupported ABI: add its layout checks"
#endif

LWH_SA(sizeof(void *) == LWH_P, "pointer size");
LWH_SA(sizeof(int) == 4 && sizeof(unsigned int) == 4 && sizeof(float) == 4 && sizeof(double) == 8, "scalars");

/* records of pointer-sized members only */
LWH_SA(sizeof(ServerRecord) == 4 * LWH_P, "ServerRecord");
LWH_SA(offsetof(ServerRecord, tagInfo) == 3 * LWH_P, "ServerRecord.tagInfo");
LWH_SA(sizeof(LWInstanceFuncs) == 7 * LWH_P, "LWInstanceFuncs");
LWH_SA(offsetof(LWInstanceFuncs, descln) == 6 * LWH_P, "LWInstanceFuncs.descln");
LWH_SA(sizeof(LWItemFuncs) == 3 * LWH_P, "LWItemFuncs");
LWH_SA(sizeof(LWRenderFuncs) == 3 * LWH_P, "LWRenderFuncs");
LWH_SA(offsetof(LWRenderFuncs, newTime) == 2 * LWH_P, "LWRenderFuncs.newTime");
LWH_SA(sizeof(LWCameraHandler) == 7 * LWH_P, "LWCameraHandler");
LWH_SA(offsetof(LWCameraHandler, preview) == 3 * LWH_P, "LWCameraHandler.preview");
LWH_SA(offsetof(LWCameraHandler, evaluate) == 5 * LWH_P, "LWCameraHandler.evaluate");
LWH_SA(offsetof(LWCameraHandler, flags) == 6 * LWH_P, "LWCameraHandler.flags");
LWH_SA(sizeof(LWInterface) == 4 * LWH_P, "LWInterface");
LWH_SA(offsetof(LWInterface, panel) == 1 * LWH_P, "LWInterface.panel");
LWH_SA(sizeof(LWGizmoFuncs) == 13 * LWH_P, "LWGizmoFuncs");
LWH_SA(offsetof(LWGizmoFuncs, panel) == 12 * LWH_P, "LWGizmoFuncs.panel");
LWH_SA(sizeof(LWGizmo) == 3 * LWH_P, "LWGizmo");
LWH_SA(offsetof(LWGizmo, gizmo) == 1 * LWH_P, "LWGizmo.gizmo");
LWH_SA(sizeof(LWItemInfo) == 24 * LWH_P, "LWItemInfo version-4 prefix");
LWH_SA(offsetof(LWItemInfo, name) == 8 * LWH_P, "LWItemInfo.name");
LWH_SA(offsetof(LWItemInfo, param) == 9 * LWH_P, "LWItemInfo.param");
LWH_SA(offsetof(LWItemInfo, chanGroup) == 13 * LWH_P, "LWItemInfo.chanGroup");
LWH_SA(sizeof(LWCameraInfo) == 27 * LWH_P, "LWCameraInfo");
LWH_SA(offsetof(LWCameraInfo, separation) == 9 * LWH_P, "LWCameraInfo.separation");
LWH_SA(offsetof(LWCameraInfo, filmSize) == 22 * LWH_P, "LWCameraInfo.filmSize");
LWH_SA(sizeof(LWCameraEvaluationFuncs) == 8 * LWH_P, "LWCameraEvaluationFuncs");
LWH_SA(offsetof(LWCameraEvaluationFuncs, evaluate) == 7 * LWH_P, "LWCameraEvaluationFuncs.evaluate");
LWH_SA(sizeof(LWVParmFuncs) == 15 * LWH_P, "LWVParmFuncs");
LWH_SA(offsetof(LWVParmFuncs, getVal) == 6 * LWH_P, "LWVParmFuncs.getVal");
LWH_SA(offsetof(LWVParmFuncs, setVal) == 7 * LWH_P, "LWVParmFuncs.setVal");
LWH_SA(sizeof(LWXPDrawFuncs) == 9 * LWH_P, "LWXPDrawFuncs");
LWH_SA(offsetof(LWXPDrawFuncs, drawRGBBox) == 4 * LWH_P, "LWXPDrawFuncs.drawRGBBox");
LWH_SA(sizeof(LWMessageFuncs) == 7 * LWH_P, "LWMessageFuncs");

/* records with non-pointer members */
LWH_SA(offsetof(ModuleDescriptor, sysMachine) == 8, "ModuleDescriptor.sysMachine");
LWH_SA(offsetof(ModuleDescriptor, startup) == (LWH_P == 8 ? 16 : 12), "ModuleDescriptor.startup");
LWH_SA(offsetof(ModuleDescriptor, serverDefs) == (LWH_P == 8 ? 32 : 20), "ModuleDescriptor.serverDefs");
LWH_SA(sizeof(ModuleDescriptor) == (LWH_P == 8 ? 40 : 24), "ModuleDescriptor");
LWH_SA(offsetof(ServerTagInfo, tag) == LWH_P && sizeof(ServerTagInfo) == 2 * LWH_P, "ServerTagInfo");
LWH_SA(offsetof(LWBlockIdent, token) == LWH_P && sizeof(LWBlockIdent) == 2 * LWH_P, "LWBlockIdent");

LWH_SA(offsetof(LWFrameInfo, start) == (LWH_DALIGN == 8 ? 8 : 4), "LWFrameInfo.start");
LWH_SA(offsetof(LWFrameInfo, duration) == (LWH_DALIGN == 8 ? 16 : 12), "LWFrameInfo.duration");
LWH_SA(offsetof(LWFrameInfo, framesPerSecond) == (LWH_DALIGN == 8 ? 24 : 20), "LWFrameInfo.fps");
LWH_SA(offsetof(LWFrameInfo, motionSteps) == (LWH_DALIGN == 8 ? 32 : 28), "LWFrameInfo.motionSteps");
LWH_SA(sizeof(LWFrameInfo) == (LWH_DALIGN == 8 ? 40 : 32), "LWFrameInfo");

LWH_SA(offsetof(LWCameraAccess, worldPos) == (LWH_DALIGN == 8 ? 8 : 4), "LWCameraAccess.worldPos");
LWH_SA(offsetof(LWCameraAccess, toWorld) == (LWH_DALIGN == 8 ? 32 : 28), "LWCameraAccess.toWorld");
LWH_SA(offsetof(LWCameraAccess, toCamera) == (LWH_DALIGN == 8 ? 104 : 100), "LWCameraAccess.toCamera");
LWH_SA(offsetof(LWCameraAccess, filmSize) == (LWH_DALIGN == 8 ? 176 : 172), "LWCameraAccess.filmSize");
LWH_SA(sizeof(LWCameraAccess) == (LWH_DALIGN == 8 ? 192 : 188), "LWCameraAccess");

LWH_SA(offsetof(LWCameraRay, rayDir) == 24 && offsetof(LWCameraRay, filmNorm) == 48, "LWCameraRay");
LWH_SA(offsetof(LWCameraRay, filter) == 72 && sizeof(LWCameraRay) == 144, "LWCameraRay.filter");

LWH_SA(offsetof(LWTimeInfo, frame) == 8, "LWTimeInfo.frame");
LWH_SA(sizeof(LWTimeInfo) == (LWH_DALIGN == 8 ? 16 : 12), "LWTimeInfo");

LWH_SA(offsetof(LWLoadState, readData) == LWH_P, "LWLoadState.readData");
LWH_SA(offsetof(LWLoadState, readU4) == 8 * LWH_P, "LWLoadState.readU4");
LWH_SA(offsetof(LWLoadState, readDP) == 15 * LWH_P && sizeof(LWLoadState) == 16 * LWH_P, "LWLoadState");
LWH_SA(offsetof(LWSaveState, writeData) == LWH_P, "LWSaveState.writeData");
LWH_SA(offsetof(LWSaveState, writeU4) == 8 * LWH_P, "LWSaveState.writeU4");
LWH_SA(offsetof(LWSaveState, writeDP) == 15 * LWH_P && sizeof(LWSaveState) == 16 * LWH_P, "LWSaveState");

LWH_SA(offsetof(LWXPanelFuncs, drawf) == LWH_P, "LWXPanelFuncs.drawf");
LWH_SA(offsetof(LWXPanelFuncs, open) == 13 * LWH_P && sizeof(LWXPanelFuncs) == 14 * LWH_P, "LWXPanelFuncs");
LWH_SA(offsetof(LWXPanelControl, ctrlclass) == 2 * LWH_P && sizeof(LWXPanelControl) == 3 * LWH_P, "LWXPanelControl");
LWH_SA(offsetof(LWXPanelDataDesc, datatype) == 2 * LWH_P && sizeof(LWXPanelDataDesc) == 3 * LWH_P, "LWXPanelDataDesc");

/* custom-object access: the two LWDVector data members shift later offsets */
LWH_SA(offsetof(LWCustomObjAccess, dispData) == 8, "LWCustomObjAccess.dispData");
#if LWH_P == 8
LWH_SA(offsetof(LWCustomObjAccess, setColor) == 16 && offsetof(LWCustomObjAccess, quad) == 72, "LWCustomObjAccess");
LWH_SA(offsetof(LWCustomObjAccess, circle) == 80 && offsetof(LWCustomObjAccess, viewPos) == 96, "LWCustomObjAccess");
LWH_SA(offsetof(LWCustomObjAccess, viewDir) == 120 && offsetof(LWCustomObjAccess, setCSysItem) == 144, "LWCustomObjAccess");
LWH_SA(offsetof(LWCustomObjAccess, setPart) == 184 && sizeof(LWCustomObjAccess) == 192, "LWCustomObjAccess");
#elif LWH_DALIGN == 8
LWH_SA(offsetof(LWCustomObjAccess, setColor) == 12 && offsetof(LWCustomObjAccess, quad) == 40, "LWCustomObjAccess");
LWH_SA(offsetof(LWCustomObjAccess, circle) == 44 && offsetof(LWCustomObjAccess, viewPos) == 56, "LWCustomObjAccess");
LWH_SA(offsetof(LWCustomObjAccess, viewDir) == 80 && offsetof(LWCustomObjAccess, setCSysItem) == 104, "LWCustomObjAccess");
LWH_SA(offsetof(LWCustomObjAccess, setPart) == 124 && sizeof(LWCustomObjAccess) == 128, "LWCustomObjAccess");
#else
LWH_SA(offsetof(LWCustomObjAccess, setColor) == 12 && offsetof(LWCustomObjAccess, quad) == 40, "LWCustomObjAccess");
LWH_SA(offsetof(LWCustomObjAccess, circle) == 44 && offsetof(LWCustomObjAccess, viewPos) == 52, "LWCustomObjAccess");
LWH_SA(offsetof(LWCustomObjAccess, viewDir) == 76 && offsetof(LWCustomObjAccess, setCSysItem) == 100, "LWCustomObjAccess");
LWH_SA(offsetof(LWCustomObjAccess, setPart) == 120 && sizeof(LWCustomObjAccess) == 124, "LWCustomObjAccess");
#endif

/* alignments: the pointer size, or that of a double inside a record for the
 * records that hold doubles */
#ifdef __cplusplus
#define LWH_ALIGNOF(t) alignof(t)
#else
#define LWH_ALIGNOF(t) _Alignof(t)
#endif
LWH_SA(LWH_ALIGNOF(ServerRecord) == LWH_P, "alignof ServerRecord");
LWH_SA(LWH_ALIGNOF(LWInstanceFuncs) == LWH_P, "alignof LWInstanceFuncs");
LWH_SA(LWH_ALIGNOF(LWItemFuncs) == LWH_P, "alignof LWItemFuncs");
LWH_SA(LWH_ALIGNOF(LWRenderFuncs) == LWH_P, "alignof LWRenderFuncs");
LWH_SA(LWH_ALIGNOF(LWCameraHandler) == LWH_P, "alignof LWCameraHandler");
LWH_SA(LWH_ALIGNOF(LWInterface) == LWH_P, "alignof LWInterface");
LWH_SA(LWH_ALIGNOF(LWGizmoFuncs) == LWH_P, "alignof LWGizmoFuncs");
LWH_SA(LWH_ALIGNOF(LWGizmo) == LWH_P, "alignof LWGizmo");
LWH_SA(LWH_ALIGNOF(LWItemInfo) == LWH_P, "alignof LWItemInfo");
LWH_SA(LWH_ALIGNOF(LWCameraInfo) == LWH_P, "alignof LWCameraInfo");
LWH_SA(LWH_ALIGNOF(LWCameraEvaluationFuncs) == LWH_P, "alignof LWCameraEvaluationFuncs");
LWH_SA(LWH_ALIGNOF(LWVParmFuncs) == LWH_P, "alignof LWVParmFuncs");
LWH_SA(LWH_ALIGNOF(LWXPDrawFuncs) == LWH_P, "alignof LWXPDrawFuncs");
LWH_SA(LWH_ALIGNOF(LWMessageFuncs) == LWH_P, "alignof LWMessageFuncs");
LWH_SA(LWH_ALIGNOF(ModuleDescriptor) == LWH_P, "alignof ModuleDescriptor");
LWH_SA(LWH_ALIGNOF(ServerTagInfo) == LWH_P, "alignof ServerTagInfo");
LWH_SA(LWH_ALIGNOF(LWLoadState) == LWH_P, "alignof LWLoadState");
LWH_SA(LWH_ALIGNOF(LWSaveState) == LWH_P, "alignof LWSaveState");
LWH_SA(LWH_ALIGNOF(LWBlockIdent) == LWH_P, "alignof LWBlockIdent");
LWH_SA(LWH_ALIGNOF(LWXPanelFuncs) == LWH_P, "alignof LWXPanelFuncs");
LWH_SA(LWH_ALIGNOF(LWXPanelControl) == LWH_P, "alignof LWXPanelControl");
LWH_SA(LWH_ALIGNOF(LWXPanelDataDesc) == LWH_P, "alignof LWXPanelDataDesc");
LWH_SA(LWH_ALIGNOF(LWFrameInfo) == LWH_DALIGN, "alignof LWFrameInfo");
LWH_SA(LWH_ALIGNOF(LWCameraAccess) == LWH_DALIGN, "alignof LWCameraAccess");
LWH_SA(LWH_ALIGNOF(LWCameraRay) == LWH_DALIGN, "alignof LWCameraRay");
LWH_SA(LWH_ALIGNOF(LWTimeInfo) == LWH_DALIGN, "alignof LWTimeInfo");
LWH_SA(LWH_ALIGNOF(LWCustomObjAccess) == LWH_DALIGN, "alignof LWCustomObjAccess");
#undef LWH_ALIGNOF

#undef LWH_SA

#endif /* VANTOR_LWHOST_H */
