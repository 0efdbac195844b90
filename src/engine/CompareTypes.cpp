#include "engine/CompareTypes.h"

void CompareRow::SetFolder(int s, const QString& folder) {
    if (!place_) place_ = new RowPlace;
    else place_.detach();  // the other rows of the old folders keep theirs
    place_->folder[s] = folder;
}

void CompareRow::SetName(int s, const QString& name) {
    const QString left = s == 0 ? name : Name(0);
    const QString right = s == 1 ? name : Name(1);
    SetNames(left, right);
}

void CompareRow::SetNames(const QString& left, const QString& right) {
    existsLeft_ = !left.isEmpty();
    existsRight_ = !right.isEmpty();
    name_ = existsLeft_ ? left : right;
    const bool differ = existsLeft_ && existsRight_ && right != left;
    const bool hadOther = otherRightName_;
    otherRightName_ = differ;
    if (!differ && !hadOther) return;
    if (differ && hadOther && place_->otherName == right) return;
    if (!place_) place_ = new RowPlace;
    else place_.detach();  // the other rows of the same folders keep the shared record
    place_->otherName = differ ? right : QString();
}

void CompareRow::SharePlace(const QExplicitlySharedDataPointer<RowPlace>& place) {
    const QString other = otherRightName_ ? place_->otherName : QString();
    place_ = place;
    if (!otherRightName_) return;
    place_.detach();  // the right name spelt otherwise is the row's own
    place_->otherName = other;
}
