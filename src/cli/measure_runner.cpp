#include "measure_runner.h"

#include "batch_convert.h"
#include "canopy_csv.h"
#include "common_options.h"
#include "dots_view.h"
#include "file_messages.h"
#include "image_files.h"
#include "image_row.h"
#include "light_daily.h"
#include "parallel_runner.h"
#include "photo_metadata.h"
#include "photo_site.h"
#include "photo_source.h"
#include "projection_model.h"
#include "run_control.h"
#include "shown_text.h"

#include <atomic>
#include <deque>
#include <future>
#include <memory>
#include <new>
#include <optional>

namespace karwen::cli {

namespace {

using canopy::CanopyRow;

using canopy::kDotsViewRecord;

class Worker : public FileWorker {
public:
    Worker(const std::vector<std::string>& photos, const MeasureSettings& run, ProgressReporter& reporter,
        MeasuredLines& measured, std::atomic<int> (&counts)[3], std::atomic<int> (&images)[3], const LineSink& sink)
        : photos_(photos)
        , run_(run)
        , reporter_(reporter)
        , measured_(measured)
        , counts_(counts)
        , images_(images)
        , sink_(sink)
    {
    }

    void take(std::size_t i) override
    {
        const std::string& path = photos_[i];
        auto done = std::make_shared<Measured>();
        std::optional<MadeImage> image;
        {
            const OwnedImage photo(loadImageFile(path, photoFormatOf(path)));
            done->row = measure(i, photo.get(), done->failure);
            if (run_.images && done->row.error.empty())
                image = makeSkyImage(run_.images->files[i], *run_.images, photo.get(), done->row);
        }
        if (!done->row.error.empty() && done->failure.empty())
            done->failure = "Cannot measure \"" + path + "\": " + done->row.error + ".";
        if (!image || image->done) {
            publish(i, *done, image ? image->done : std::nullopt);
            return;
        }
        if (writing_.size() == kWritesInFlight)
            finishOldestWrite();
        auto made = std::make_shared<MadeImage>(std::move(*image));
        const auto write = [this, i, done, made] { publish(i, *done, writeImage(i, *made)); };
        try {
            writing_.push_back(std::async(std::launch::async, write));
        } catch (const std::exception&) {
            write(); // no thread or memory to spare: here and now
        }
    }

    void finish() override
    {
        while (!writing_.empty())
            finishOldestWrite();
    }

private:
    // The writes of images (which wait for the disk to confirm the file) run
    // beside the measuring of the next photos, as convert's saves do.
    static constexpr std::size_t kWritesInFlight = 3;

    struct Measured {
        CanopyRow row;
        std::string failure; // what the user is told of a photo without figures
    };

    void finishOldestWrite()
    {
        std::future<void> oldest = std::move(writing_.front());
        writing_.pop_front();
        oldest.get();
    }

    SavedImage writeImage(std::size_t i, const MadeImage& made) const
    {
        return writeSkyImage(run_.images->files[i], *run_.images, made);
    }

    // Hands photo i's row over once its image, if any, is saved: a run
    // stopped between the two leaves a photo to measure again, whose image
    // is then made again.
    void publish(std::size_t i, const Measured& done, const std::optional<SavedImage>& image)
    {
        std::string written, note;
        if (image) {
            ++images_[int(image->status)];
            if (image->status == ImageStatus::Failed)
                reporter_.failure(image->line);
            else if (image->status == ImageStatus::Written)
                written = run_.images->files[i].outputPath;
            else
                note = kImageKept;
        }
        measured_.rows[i] = PhotoLines{canopy::csvRow(done.row)};
        measured_.days[i] = dailyLines(done.row);
        sink_(i, *measured_.rows[i], *measured_.days[i]);
        const FileStatus status = done.row.error.empty() ? FileStatus::Done : FileStatus::Failed;
        ++counts_[int(status)];
        reporter_.fileDone(status, photos_[i], written, status == FileStatus::Failed ? done.failure : note);
    }

    // Photo i's settings: its own from a table, else the run's.
    PhotoSettings settingsOf(std::size_t i) const
    {
        if (i < run_.own.size() && run_.own[i])
            return *run_.own[i];
        return {run_.source, run_.canopy, run_.light, run_.siteFromPhotos, false, {}};
    }

    // Photo i's row; failure: what the user is told of a photo that could
    // not be opened (other errors are told by the row's error).
    CanopyRow measure(std::size_t i, int32_t photo, std::string& failure)
    {
        const std::string& path = photos_[i];
        PhotoSettings settings = settingsOf(i);
        if (!isImage(photo)) {
            const FileProblem problem = photoProblem(path, RixLastError());
            failure = problemLine(FileAction::Open, problem);
            return canopy::failedRow(path, problem.reason, settings.canopy);
        }
        files::PhotoMetadata metadata = files::readPhotoMetadata(path);
        if (settings.light && settings.siteFromPhotos) {
            PhotoLight own = photoLight(*settings.light, metadata);
            if (!own.error.empty())
                return canopy::failedRow(path, own.error, settings.canopy);
            settings.light = own.request;
        }
        try {
            CanopyRow row = measureLoaded(path, photo, settings);
            row.metadata = std::move(metadata);
            return row;
        } catch (const std::bad_alloc&) {
            // What the measurement held is freed by now, so the row still fits.
            const std::string error = "too large: " + std::to_string(RixWidth(photo)) + " x "
                + std::to_string(RixHeight(photo)) + " pixels; out of memory";
            return canopy::failedRow(path, error, settings.canopy);
        }
    }

    static CanopyRow measureLoaded(const std::string& path, int32_t photo, const PhotoSettings& s)
    {
        // A found circle is read to its rim: the rim is the 90-degree horizon.
        const PhotoSource source
            = photoSource(photo, s.source.srcPrm, s.source.findCircle, FoundCircle::Rim, lensOf(s.source));
        if (!source.problem.empty())
            return canopy::failedRow(path, sourceProblemText(source.problem), s.canopy);
        // The dots' view is made through the same circle as the pixels,
        // resampled at the dots alone.
        CanopyRow row = canopy::measurePhoto(path, photo, source.prm, lensOf(s.source), kDotsViewRecord, kDotsSide,
            kDotsSide, s.canopy, s.light ? &*s.light : nullptr);
        setSettingsColumns(row, s);
        return row;
    }

    const std::vector<std::string>& photos_;
    const MeasureSettings& run_;
    ProgressReporter& reporter_;
    MeasuredLines& measured_;
    std::atomic<int> (&counts_)[3];
    std::atomic<int> (&images_)[3]; // by ImageStatus
    const LineSink& sink_;
    std::deque<std::future<void>> writing_; // oldest first
};

} // namespace

MeasuredLines measurePhotos(const std::vector<std::string>& photos, const MeasureSettings& run,
    ProgressReporter& reporter, const std::function<bool()>& stop, const LineSink& sink)
{
    MeasuredLines measured;
    measured.rows.resize(photos.size());
    measured.days.resize(photos.size());
    std::atomic<int> counts[3] = {0, 0, 0}; // by FileStatus
    std::atomic<int> images[3] = {0, 0, 0}; // by ImageStatus
    reporter.start(int(photos.size()));
    runWorkers(photos.size(), run.jobs, run.cpus, stop,
        [&] { return std::make_unique<Worker>(photos, run, reporter, measured, counts, images, sink); });
    measured.counts = {counts[int(FileStatus::Done)].load(), counts[int(FileStatus::Skipped)].load(),
        counts[int(FileStatus::Failed)].load()};
    measured.images = {images[int(ImageStatus::Written)].load(), images[int(ImageStatus::Kept)].load(),
        images[int(ImageStatus::Failed)].load()};
    return measured;
}

} // namespace karwen::cli
