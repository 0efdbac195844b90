#include "support/FailingDevice.h"

#include "platform/PathCodec.h"

FailingDevice& FailingDevice::Fail(Point point, const QString& path, int err, int skip, int times) {
    const std::lock_guard lock(mutex_);
    rules_.push_back(Rule{point, PathCodec::Encode(path), err, skip, times});
    return *this;
}

FailingDevice& FailingDevice::FailFirstChange(int err) {
    const std::lock_guard lock(mutex_);
    rules_.push_back(Rule{Point::Create, QByteArray(), err, 0, 1, true});
    return *this;
}

int FailingDevice::Count(Point point) const {
    const std::lock_guard lock(mutex_);
    int n = 0;
    for (const auto& asked : asked_) n += asked.first == point ? 1 : 0;
    return n;
}

std::vector<FailingDevice::Point> FailingDevice::Steps(const QString& path) const {
    const QByteArray pattern = PathCodec::Encode(path);
    const std::lock_guard lock(mutex_);
    std::vector<Point> steps;
    for (const auto& [point, asked] : asked_)
        if (Matches(pattern, asked)) steps.push_back(point);
    return steps;
}

int FailingDevice::ErrorAt(Point point, const QByteArray& path) {
    const std::lock_guard lock(mutex_);
    asked_.emplace_back(point, path);
    for (Rule& rule : rules_) {
        const bool listing = point == Point::OpenListing || point == Point::ReadListing;
        const bool pointMatches = rule.anyChange ? !listing : rule.point == point;
        if (!pointMatches || rule.times == 0 || !Matches(rule.path, path)) continue;
        if (rule.skip > 0) {
            --rule.skip;
            continue;
        }
        if (rule.times > 0) --rule.times;
        return rule.err;
    }
    return 0;
}

bool FailingDevice::Matches(const QByteArray& pattern, const QByteArray& path) {
    if (pattern.isEmpty()) return true;
    if (pattern.contains('/')) return path == pattern;
    return path.endsWith('/' + pattern);
}
