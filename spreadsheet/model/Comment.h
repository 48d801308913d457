// A cell comment. The sheet owns the data by position; handles given out refer to the data, so
// a handle stays right when rows above its cell are inserted or deleted.
#pragma once

#include "platform/host/IRange.h"

#include <memory>
#include <string>

namespace qv::sheet {

class Worksheet;

struct CommentData {
    std::string author;
    std::string text;
    double width = 96, height = 55.5; // points, the host's default box
    long fillColor = 0xE1FFFF;        // pale yellow
    bool bold = false;
    double fontSize = 8;
    bool visible = false;
};

class Comment : public IComment {
  public:
    Comment(std::weak_ptr<Worksheet> sheet, std::shared_ptr<CommentData> data)
        : mSheet(std::move(sheet)), mData(std::move(data)) {}
    std::string text() const override { return mData->text; }
    void setText(const std::string& text) override;
    void setShapeSize(double widthPoints, double heightPoints) override;
    void setFillColor(long oleColor) override;
    void setFontBold(bool bold) override;
    void setFontSize(double points) override;
    void setVisible(bool visible) override;
    void remove() override;

  private:
    void changed();
    std::weak_ptr<Worksheet> mSheet;
    std::shared_ptr<CommentData> mData;
};

} // namespace qv::sheet
