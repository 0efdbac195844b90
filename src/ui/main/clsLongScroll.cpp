#include "ui/main/clsLongScroll.h"

#include "ui/main/HalfEvenDivide.h"

#include <QAccessible>
#include <QAccessibleWidget>

#include <algorithm>
#include <cstdlib>

namespace {
constexpr int ClientMaximum = 32767;
constexpr int ClientLargeChange = 10;

// The scrollbar's place in the whole range for a screen reader, not the client's 0..32767: the
// first shown row of the list and the last first row there can be.
class LongScrollAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    LongScrollAccessible(QScrollBar* bar, clsLongScroll* scroll) : QAccessibleWidget(bar, QAccessible::ScrollBar), scroll_(scroll) {}
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QVariant currentValue() const override { return scroll_ ? scroll_->Value() : 0; }
    void setCurrentValue(const QVariant& value) override {
        if (scroll_) scroll_->SetValue(value.toInt());
    }
    QVariant maximumValue() const override { return scroll_ ? std::max(scroll_->Min(), scroll_->Max()) : 0; }
    QVariant minimumValue() const override { return scroll_ ? std::min(scroll_->Min(), scroll_->Max()) : 0; }
    QVariant minimumStepSize() const override { return scroll_ ? scroll_->SmallChange() : 1; }

private:
    QPointer<clsLongScroll> scroll_;
};

// A screen reader hears the new place in the list, not the client's own position.
void AnnounceValue(QScrollBar* client, int32_t value) {
    if (!client || !QAccessible::isActive()) return;
    QAccessibleValueChangeEvent event(client, value);
    QAccessible::updateAccessibility(&event);
}

const char* const LongScrollProperty = "tandorLongScroll";

QAccessibleInterface* LongScrollFactory(const QString&, QObject* object) {
    auto* bar = qobject_cast<QScrollBar*>(object);
    auto* scroll = bar ? qobject_cast<clsLongScroll*>(bar->property(LongScrollProperty).value<QObject*>()) : nullptr;
    return scroll ? new LongScrollAccessible(bar, scroll) : nullptr;
}

int64_t Distance(int64_t a, int64_t b) { return a > b ? a - b : b - a; }
}  // namespace

clsLongScroll::clsLongScroll(QObject* parent) : QObject(parent) {}

bool clsLongScroll::SetClient(QObject* client) {
    auto* bar = qobject_cast<QScrollBar*>(client);
    if (client && !bar) return false;
    if (client_) disconnect(client_, nullptr, this, nullptr);
    client_ = bar;
    if (!client_) return true;
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(LongScrollFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    client_->setProperty(LongScrollProperty, QVariant::fromValue<QObject*>(this));
    // A plain scrollbar's interface made before would stay cached.
    QAccessibleInterface* existing = QAccessible::queryAccessibleInterface(client_);
    if (existing && !dynamic_cast<LongScrollAccessible*>(existing)) QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(existing));
    writingClient_ = true;
    client_->setRange(0, ClientMaximum);
    client_->setSingleStep(1);
    client_->setPageStep(ClientLargeChange);
    client_->setValue(0);
    writingClient_ = false;
    ReadClient();
    // valueChanged covers arrow clicks, page clicks, dragging the thumb and the wheel alike.
    connect(client_, &QScrollBar::valueChanged, this, &clsLongScroll::OnClientValueChanged);
    connect(client_, &QScrollBar::actionTriggered, this, [this](int action) { pendingAction_ = action; });
    return true;
}

void clsLongScroll::ReadClient() {
    if (!client_) return;
    clientValue_ = client_->value();
    clientMin_ = client_->minimum();
    clientMax_ = client_->maximum();
    clientSmall_ = client_->singleStep();
    clientLarge_ = client_->pageStep();
}

int32_t clsLongScroll::Clamp(int64_t v) const {
    const int64_t low = std::min(min_, max_);
    const int64_t high = std::max(min_, max_);
    return static_cast<int32_t>(std::clamp(v, low, high));
}

void clsLongScroll::SetMin(int32_t m) {
    min_ = m;
    if (value_ != Clamp(value_)) {
        SetValue(Clamp(value_));
    } else {
        // The same value stands at another place of a changed range.
        PlaceThumb();
    }
}

void clsLongScroll::SetMax(int32_t m) {
    max_ = m;
    if (value_ != Clamp(value_)) {
        SetValue(Clamp(value_));
    } else {
        PlaceThumb();
    }
}

int clsLongScroll::ClientPositionFor(int32_t v) const {
    const int64_t span = Distance(max_, min_);
    const int64_t clientSpan = Distance(clientMax_, clientMin_);
    int64_t offset = 0;  // clientSpan * |v - Min| / span, rounded
    if (span != 0) {
        offset = DivideRoundHalfEven(static_cast<WideInt>(clientSpan) * Distance(v, min_), span).value_or(0);
    }
    const bool mirrored = min_ > max_;
    int64_t position = mirrored ? clientMax_ - offset : clientMin_ + offset;
    // The thumb reaches an end only when the value does: a list that is not at its top never
    // shows a thumb that says it is.
    const int64_t minEnd = mirrored ? clientMax_ : clientMin_;
    const int64_t maxEnd = mirrored ? clientMin_ : clientMax_;
    const int inward = mirrored ? -1 : 1;
    if (clientSpan >= 2) {
        if (position == minEnd && v != min_) position = minEnd + inward;
        else if (position == maxEnd && v != max_) position = maxEnd - inward;
    }
    return static_cast<int>(position);
}

void clsLongScroll::PlaceThumb() {
    if (!client_) return;
    ReadClient();
    const int position = ClientPositionFor(value_);
    writingClient_ = true;
    client_->setValue(position);
    writingClient_ = false;
    clientValue_ = client_->value();
}

void clsLongScroll::SetValue(int32_t v) {
    ReadClient();
    value_ = Clamp(v);
    PlaceThumb();
    emit Change();
    AnnounceValue(client_, value_);
}

void clsLongScroll::OnClientValueChanged(int clientValue) {
    if (writingClient_) return;
    const int previous = clientValue_;
    clientMin_ = client_->minimum();
    clientMax_ = client_->maximum();
    clientSmall_ = client_->singleStep();
    clientLarge_ = client_->pageStep();
    const int d = clientValue - previous;
    const int64_t step = d > 0 ? 1 : -1;
    // The scrollbar says what was clicked; a change without such a report (set from outside)
    // is told apart by its size: one small step is an arrow, one large step a page.
    const int action = pendingAction_;
    pendingAction_ = QAbstractSlider::SliderNoAction;
    const bool arrow = action == QAbstractSlider::SliderSingleStepAdd || action == QAbstractSlider::SliderSingleStepSub ||
                       (action == QAbstractSlider::SliderNoAction && d != 0 && std::abs(d) == clientSmall_);
    const bool page = action == QAbstractSlider::SliderPageStepAdd || action == QAbstractSlider::SliderPageStepSub ||
                      (action == QAbstractSlider::SliderNoAction && d != 0 && std::abs(d) == clientLarge_);
    if (arrow && d != 0) {
        value_ = Clamp(static_cast<int64_t>(value_) + step * smallChange_);
    } else if (page && d != 0) {
        value_ = Clamp(static_cast<int64_t>(value_) + step * largeChange_);
    } else {
        // The thumb was dragged: its place within the client's range is the place of the value.
        const int64_t span = Distance(max_, min_);
        const int64_t clientSpan = Distance(clientMax_, clientMin_);
        const int64_t along = min_ > max_ ? clientMax_ - clientValue : clientValue - clientMin_;
        int64_t offset = 0;
        if (clientSpan != 0) {
            offset = DivideRoundHalfEven(static_cast<WideInt>(along) * span, clientSpan).value_or(0);
        }
        value_ = Clamp(min_ > max_ ? static_cast<int64_t>(min_) - offset : static_cast<int64_t>(min_) + offset);
    }
    clientValue_ = clientValue;
    PlaceThumb();
    emit Change();
    AnnounceValue(client_, value_);
}
