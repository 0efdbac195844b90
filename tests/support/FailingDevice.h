#pragma once
// A fault plan for tests: fails chosen steps of the file-system layer on chosen files and keeps
// the steps it was asked about. In force while the object lives; the program under test runs
// its own path (copy workers and reflinks included) and meets the error where the system would
// have answered it.

#include "platform/FaultPlan.h"

#include <QByteArray>
#include <QString>

#include <mutex>
#include <vector>

class FailingDevice : public FileSystem::FaultPlan {
public:
    using Point = FileSystem::FaultPoint;
    FailingDevice() : scope_(*this) {}

    // Fails point on path with err: skip matching steps go through first, then times of them
    // fail (a negative times: all that follow). path is a whole path, a bare name that matches
    // the last name of any path, or empty for any path.
    FailingDevice& Fail(Point point, const QString& path, int err, int skip = 0, int times = 1);
    // Fails the first change of the file system (any step but listing), whatever it is.
    FailingDevice& FailFirstChange(int err);
    // The steps asked for path (as above), in order; how often point was asked for any path.
    std::vector<Point> Steps(const QString& path) const;
    int Count(Point point) const;

    int ErrorAt(Point point, const QByteArray& path) override;

private:
    struct Rule {
        Point point;
        QByteArray path;
        int err;
        int skip;
        int times;
        bool anyChange = false;
    };
    static bool Matches(const QByteArray& pattern, const QByteArray& path);

    mutable std::mutex mutex_;
    std::vector<Rule> rules_;
    std::vector<std::pair<Point, QByteArray>> asked_;
    FileSystem::FaultPlanScope scope_;
};
