#include "measure_runner.h"

#include "batch_convert.h"
#include "canopy_csv.h"
#include "common_options.h"
#include "dots_view.h"
#include "file_messages.h"
#include "image_files.h"
#include "image_row.h"
#include "light_daily.h"
#include "mdl_karwen.h"
#include "parallel_runner.h"
#include "projection_model.h"
#include "run_control.h"
#include "shown_text.h"

#include <atomic>
#include <new>

namespace karwen::cli {

namespace {

using canopy::CanopyRow;

using canopy::kDotsViewRecord;

class Worker : public FileWorker {
public:
    Worker(const std::vector<std::string>& photos, const MeasureSettings& run, ProgressReporter& reporter,
        MeasuredLines& measured, std::atomic<int> (&counts)[3], const LineSink& sink)
        : photos_(photos)
        , run_(run)
        , reporter_(reporter)
        , measured_(measured)
        , counts_(counts)
        , sink_(sink)
    {
    }

    void take(std::size_t i) override
    {
        const std::string& path = photos_[i];
        std::string failure;
        const CanopyRow row = measure(path, failure);
        if (!row.error.empty() && failure.empty())
            failure = "Cannot measure \"" + path + "\": " + row.error + ".";
        measured_.rows[i] = PhotoLines{canopy::csvRow(row)};
        measured_.days[i] = dailyLines(row);
        sink_(i, *measured_.rows[i], *measured_.days[i]);
        const FileStatus status = row.error.empty() ? FileStatus::Done : FileStatus::Failed;
        ++counts_[int(status)];
        reporter_.fileDone(status, path, {}, failure);
    }

private:
    // The photo's row; failure: what the user is told of a photo that could
    // not be opened (other errors are told by the row's error).
    CanopyRow measure(const std::string& path, std::string& failure)
    {
        const OwnedImage photo(loadImageFile(path, photoFormatOf(path)));
        if (!isImage(photo.get())) {
            const FileProblem problem = photoProblem(path, RixLastError());
            failure = problemLine(FileAction::Open, problem);
            return canopy::failedRow(path, problem.reason, run_.canopy);
        }
        try {
            return measureLoaded(path, photo.get());
        } catch (const std::bad_alloc&) {
            // What the measurement held is freed by now, so the row still fits.
            const std::string error = "too large: " + std::to_string(RixWidth(photo.get())) + " x "
                + std::to_string(RixHeight(photo.get())) + " pixels; out of memory";
            return canopy::failedRow(path, error, run_.canopy);
        }
    }

    CanopyRow measureLoaded(const std::string& path, int32_t photo)
    {
        // A found circle is read to its rim: the rim is the 90-degree horizon.
        const PhotoSource source
            = photoSource(photo, run_.source.srcPrm, run_.source.findCircle, FoundCircle::Rim, lensOf(run_.source));
        if (!source.problem.empty())
            return canopy::failedRow(path, sourceProblemText(source.problem), run_.canopy);
        // The dots' view is made through the same circle as the pixels,
        // resampled at the dots alone.
        CanopyRow row = canopy::measurePhoto(path, photo, source.prm, lensOf(run_.source), kDotsViewRecord, kDotsSide,
            kDotsSide, run_.canopy, run_.light ? &*run_.light : nullptr);
        row.circle = run_.source.findCircle ? canopy::CircleOrigin::Detected : canopy::CircleOrigin::Given;
        row.lensName = lensNameOf(run_.source);
        return row;
    }

    const std::vector<std::string>& photos_;
    const MeasureSettings& run_;
    ProgressReporter& reporter_;
    MeasuredLines& measured_;
    std::atomic<int> (&counts_)[3];
    const LineSink& sink_;
};

} // namespace

MeasuredLines measurePhotos(const std::vector<std::string>& photos, const MeasureSettings& run,
    ProgressReporter& reporter, const std::function<bool()>& stop, const LineSink& sink)
{
    MeasuredLines measured;
    measured.rows.resize(photos.size());
    measured.days.resize(photos.size());
    std::atomic<int> counts[3] = {0, 0, 0}; // by FileStatus
    reporter.start(int(photos.size()));
    runWorkers(photos.size(), run.jobs, run.cpus, stop,
        [&] { return std::make_unique<Worker>(photos, run, reporter, measured, counts, sink); });
    measured.counts = {counts[int(FileStatus::Done)].load(), counts[int(FileStatus::Skipped)].load(),
        counts[int(FileStatus::Failed)].load()};
    return measured;
}

} // namespace karwen::cli
