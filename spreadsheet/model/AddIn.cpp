#include "spreadsheet/model/AddIn.h"

#include <filesystem>

namespace qv::sheet {

AddIn::AddIn(AddIns& list, std::string path, std::string title, bool installed)
    : mList(list), mPath(std::move(path)), mTitle(std::move(title)), mInstalled(installed) {}

std::string AddIn::name() const {
    return std::filesystem::path(mPath).filename().string();
}

std::string AddIn::title() const {
    return mTitle.empty() ? std::filesystem::path(mPath).stem().string() : mTitle;
}

void AddIn::load() {
    if (!mInstalled || mLoaded) return;
    mLoaded = mList.load(mPath);
}

void AddIn::setInstalled(bool installed) {
    if (installed) {
        if (mInstalled && mLoaded) return;
        // A package that cannot be loaded stays uninstalled: the error leaves before the flag
        // changes.
        mLoaded = mList.load(mPath);
        mInstalled = true;
        mList.save();
        return;
    }
    if (!mInstalled) return;
    std::shared_ptr<AddIns::Loaded> loaded = std::move(mLoaded);
    mInstalled = false;
    // The package is closed whatever its own uninstall code does; a failure there is still
    // told, once the list is as the person left it.
    std::exception_ptr failure;
    if (loaded) {
        try {
            loaded->uninstall();
        } catch (...) {
            failure = std::current_exception();
        }
        loaded.reset();
    }
    mList.save();
    if (failure) std::rethrow_exception(failure);
}

} // namespace qv::sheet
