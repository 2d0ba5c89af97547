#pragma once

#include "cli/cli_options.h"
#include "download/job_downloads.h"
#include "download/output_template.h"
#include "net/wakeup.h"

namespace tavimo::cli {

// One job of a batch on the run's one scheduler: its command, and a sign
// once the job has handed all its tracks over and only waits for them, so
// that the next job can start meanwhile.
class BatchJob final : public JobDownloads {
public:
    BatchJob(TrackDownloads &run, CliJob job);

    const CliJob &command() const { return job_; }
    // Where the job's tracks go instead of the usual layout, when it says.
    const std::optional<OutputTemplate> &output() const { return output_; }

    QCoro::Task<> whenEnded(QStringList paths) override;

    // Whether only the end of the tracks is left: an album or liked job that
    // waits for its files, or a job whose workflow returned.
    bool handedOver() const { return handedOver_; }
    void markReturned();
    Wakeup &changed() { return changed_; }

private:
    CliJob job_;
    std::optional<OutputTemplate> output_;
    bool handedOver_ = false;
    Wakeup changed_;
};

} // namespace tavimo::cli
