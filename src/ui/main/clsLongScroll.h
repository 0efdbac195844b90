#pragma once
// Drives a scrollbar whose positions only reach 0..32767 with a range of 32-bit values, so that
// the file list can scroll through any number of rows. The scrollbar (the client) shows where
// Value lies in Min..Max; the class turns the client's arrow clicks, page clicks and thumb drags
// back into Values.

#include <QObject>
#include <QPointer>
#include <QScrollBar>

#include <cstdint>

class clsLongScroll : public QObject {
    Q_OBJECT
public:
    explicit clsLongScroll(QObject* parent = nullptr);

    // The text of the failure when something other than a scrollbar is attached.
    static constexpr const char* NotAScrollbarText = "Client object must be a scrollbar.";
    static constexpr uint32_t NotAScrollbarError = 0x80040201u;

    // Attaches a scrollbar (its range becomes 0..32767, small change 1, large change 10,
    // position 0). Null detaches. Anything that is not a scrollbar is refused: the call returns
    // false and the current client stays attached.
    bool SetClient(QObject* client);
    QScrollBar* Client() const { return client_; }

    int32_t Min() const { return min_; }
    int32_t Max() const { return max_; }
    int32_t Value() const { return value_; }
    int32_t SmallChange() const { return smallChange_; }
    int32_t LargeChange() const { return largeChange_; }
    void SetMin(int32_t m);
    void SetMax(int32_t m);
    void SetValue(int32_t v);
    void SetSmallChange(int32_t c) { smallChange_ = c; }
    void SetLargeChange(int32_t c) { largeChange_ = c; }

    // The client position that stands for a value (the thumb's place), from the current range
    // and the client's range.
    int ClientPositionFor(int32_t v) const;

signals:
    // After every change of Value, whether made by the program or by the user on the client.
    void Change();

private:
    void OnClientValueChanged(int clientValue);
    void ReadClient();
    void PlaceThumb();
    int32_t Clamp(int64_t v) const;

    QPointer<QScrollBar> client_;
    int32_t min_ = 0;
    int32_t max_ = 32767;
    int32_t value_ = 0;
    int32_t smallChange_ = 1;
    int32_t largeChange_ = 1;
    // The client's state as last seen, to tell arrow clicks and page clicks from drags.
    int clientValue_ = 0;
    int clientMin_ = 0;
    int clientMax_ = 32767;
    int clientSmall_ = 1;
    int clientLarge_ = 10;
    bool writingClient_ = false;
    // What the user did on the client, as the scrollbar reports it before the value changes.
    int pendingAction_ = QAbstractSlider::SliderNoAction;
};
