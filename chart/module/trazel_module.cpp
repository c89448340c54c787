// The trazel module: the chart and its property page, the type library
// TRAZELLib that describes them, and the module's version.
#include "trazel_ctrl.h"
#include "trazel_members.h"
#include "trazel_prop_page.h"

#include <automation/module.h>
#include <interfaces/class_ids.h>

using namespace automation;

namespace {

SimpleClassFactory<trazel::CTrazelCtrl> chartFactory;
SimpleClassFactory<trazel::CTrazelPropPage> pageFactory;

constexpr EnumValue digitalMaskValues[] = {
    {"Disabled", 0},      {"PlotBit0", 1},     {"PlotBit1", 2},     {"PlotBit2", 4},     {"PlotBit3", 8},
    {"PlotBit4", 16},     {"PlotBit5", 32},    {"PlotBit6", 64},    {"PlotBit7", 128},   {"PlotBit8", 256},
    {"PlotBit9", 512},    {"PlotBit10", 1024}, {"PlotBit11", 2048}, {"PlotBit12", 4096}, {"PlotBit13", 8192},
    {"PlotBit14", 16384}, {"PlotBit15", 32768},
};

// The chart as a toolbox shows it: a trace over a grid.
const char* const toolboxPicture[] = {
    "16 15 4 1",
    "  c #FFFFFF",
    ". c #C0C0C0",
    "b c #0000FF",
    "k c #000000",
    "kkkkkkkkkkkkkkkk",
    "k    .    .    k",
    "k    .    .    k",
    "k    .    .bb  k",
    "k    . bb .bb  k",
    "k......bb.bbb..k",
    "k    bbbb b b  k",
    "k    bbbbbb b  k",
    "k   bbbb bb bb k",
    "k bbb.bb bb  bbk",
    "kbbbb....bb...bk",
    "k  bb.    .   bk",
    "k    .    .    k",
    "k    .    .    k",
    "kkkkkkkkkkkkkkkk",
};

// Activate when visible, set client site first, inside-out activation,
// cannot link inside, recompose on resize.
constexpr uint32_t chartMiscStatus = 0x20191;

const ModuleDescription& description()
{
    using namespace sdk;
    static const EnumDescription enums[] = {{"enumDigitalMask", digitalMaskValues}};
    // The members are the ones a live chart answers with.
    static const InterfaceDescription interfaces[] = {
        {"_DTrazel", interfaces::trazelDispatch, "Dispatch interface for Trazel Control", true,
         trazel::dispatchMembers()},
        {"_DTrazelEvents", interfaces::trazelEvents, "Event interface for Trazel Control", false, trazel::eventInfos()},
    };
    static const CoClassDescription coClasses[] = {
        {"Trazel", classes::trazelChart.classId, "Trazel Control", "_DTrazel", "_DTrazelEvents"},
    };
    static const TypeLibrary library{"TRAZELLib", interfaces::trazelTypeLibrary, 1, 0, 1033, "Trazel Control",
                                     enums, interfaces, coClasses};
    static const QUuid pages[] = {classes::trazelPropertyPage.classId};
    static const ModuleClass moduleClasses[] = {
        {classes::trazelChart.classId, classes::trazelChart.progId, classes::trazelChart.typeName, &chartFactory,
         "Apartment", chartMiscStatus, 1, pages, true},
        {classes::trazelPropertyPage.classId, classes::trazelPropertyPage.progId,
         classes::trazelPropertyPage.typeName, &pageFactory},
    };
    static const ModulePicture pictures[] = {toolboxPicture};
    static const ModuleDescription module{moduleClasses, &library, {"1, 1, 0, 2", "1, 1, 0, 2"}, pictures};
    return module;
}

}  // namespace

AUTOMATION_MODULE(description)
