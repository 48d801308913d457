// Comment handles: every change goes through the sheet, so protection and the Saved flag apply.
#include "spreadsheet/model/Comment.h"

#include "platform/NumberedError.h"
#include "spreadsheet/model/Worksheet.h"

namespace qv::sheet {

void Comment::changed() {
    auto sheet = mSheet.lock();
    if (!sheet)
        throw NumberedError(err::ObjectNotSet, "Comment", "Object required: the sheet no longer exists");
    sheet->checkFormatAllowed(false);
    sheet->changed();
}

void Comment::setText(const std::string& text) {
    changed();
    mData->text = text;
}

void Comment::setShapeSize(double widthPoints, double heightPoints) {
    if (!(widthPoints > 0 && heightPoints > 0))
        throw NumberedError(err::ApplicationDefined, "Comment", "The shape size must be positive");
    changed();
    mData->width = widthPoints;
    mData->height = heightPoints;
}

void Comment::setFillColor(long oleColor) {
    changed();
    mData->fillColor = oleColor;
}

void Comment::setFontBold(bool bold) {
    changed();
    mData->bold = bold;
}

void Comment::setFontSize(double points) {
    if (!(points >= 1 && points <= 409))
        throw NumberedError(err::ApplicationDefined, "Comment", "Invalid font size");
    changed();
    mData->fontSize = points;
}

void Comment::setVisible(bool visible) {
    changed();
    mData->visible = visible;
}

void Comment::remove() {
    changed();
    if (auto sheet = mSheet.lock()) sheet->removeComment(mData.get());
}

} // namespace qv::sheet
