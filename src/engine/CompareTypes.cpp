#include "engine/CompareTypes.h"

const QString& CompareRow::NoText() {
    static const QString none;
    return none;
}

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
    const bool hasOther = place_ && !place_->otherName.isNull();
    if (!differ && !hasOther) return;
    if (differ && hasOther && place_->otherName == right) return;
    if (!place_) place_ = new RowPlace;
    else place_.detach();  // the other rows of the same folders keep the shared record
    place_->otherName = differ ? right : QString();
}
