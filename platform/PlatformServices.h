// The services a component is given when it is created: the add-in library receives these
// from the host that loads it, and tests wire their own. Nothing here is owned: the host keeps
// every service alive for as long as the add-in runs.
#pragma once

namespace qv {

class IRegistryStore;
class IDialogs;
class IDialogToolkit;
class IShell;
class IObjectFactory;
class IProgress;

struct PlatformServices {
    IRegistryStore* registry = nullptr;
    IDialogs* dialogs = nullptr;
    IDialogToolkit* toolkit = nullptr;
    IShell* shell = nullptr;
    IObjectFactory* objects = nullptr;
    // Watches long loads (record-set fetch, sheet fill); null means nobody watches.
    IProgress* progress = nullptr;
};

} // namespace qv
