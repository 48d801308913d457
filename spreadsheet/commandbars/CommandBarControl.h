// One button or popup of a command bar. Popups own the list of their children; every control
// knows the list it sits in, for index() and remove().
#pragma once

#include "platform/host/ICommandBars.h"

#include <memory>
#include <string>

namespace qv::sheet {

class CommandBarControls;

class CommandBarControl : public ICommandBarControl {
  public:
    CommandBarControl(int type, bool temporary, std::weak_ptr<CommandBarControls> parent);

    int type() const override { return mType; }
    long index() const override;
    std::string tag() const override { return mTag; }
    void setTag(const std::string& v) override { mTag = v; }
    std::string caption() const override { return mCaption; }
    void setCaption(const std::string& v) override { mCaption = v; }
    std::string parameter() const override { return mParameter; }
    void setParameter(const std::string& v) override { mParameter = v; }
    int faceId() const override { return mFaceId; }
    void setFaceId(int v) override { mFaceId = v; }
    std::string onAction() const override { return mOnAction; }
    void setOnAction(const std::string& v) override { mOnAction = v; }
    std::string tooltipText() const override; // the caption without its access-key '&' until set
    void setTooltipText(const std::string& v) override { mTooltip = v; }
    bool beginGroup() const override { return mBeginGroup; }
    void setBeginGroup(bool v) override { mBeginGroup = v; }
    bool enabled() const override { return mEnabled; }
    void setEnabled(bool v) override { mEnabled = v; }
    bool visible() const override { return mVisible; }
    void setVisible(bool v) override { mVisible = v; }
    void remove() override;
    std::shared_ptr<ICommandBarControls> controls() override;

    bool temporary() const { return mTemporary; }
    // The popup's children without going through the interface; null for buttons.
    const std::shared_ptr<CommandBarControls>& children() const { return mChildren; }

  private:
    int mType;
    bool mTemporary;
    std::weak_ptr<CommandBarControls> mParent;
    std::shared_ptr<CommandBarControls> mChildren;
    std::string mTag, mCaption, mParameter, mOnAction, mTooltip;
    int mFaceId = 0;
    bool mBeginGroup = false;
    bool mEnabled = true;
    bool mVisible = true;
};

} // namespace qv::sheet
