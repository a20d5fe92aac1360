// The editor's uploads into crowded folders, side by side with empty ones in
// one run: 200 attachments in one request into a folder of 37,000 entries
// against the same into an empty folder, and a pasted picture into the
// pictures' folder holding 20,000 entries against it empty. Saving a file
// must not cost more as its folder grows; the ratios are printed after the
// table. Nothing is removed between runs (a file system slows down making
// files where it has just removed many, which would be measured instead):
// each run of attachments has an empty folder of its own, the crowded one
// grows by 200 a run (to 39,000), the pictures' folder by one a run. On a
// disk other programs fill and empty, making files in a new folder can wait
// on the file system's own search for free entries: TMPDIR=/dev/shm keeps
// that out of the figures.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "common/kesra_class_md5.h"
#include "host/editor_upload_page.h"
#include "host/editor_upload_room.h"
#include "host/page_steps.h"
#include "platform/asp/context.h"
#include "platform/com/object.h"
#include "platform/com/registry.h"
#include "platform/vb/convert.h"
#include "shell/qe_application_data.h"
#include "mounted_site.h"
#include "timing_reporter.h"

namespace {

namespace stdfs = std::filesystem;

constexpr int kAttachments = 200;
constexpr int kCrowdedAttachmentFolder = 37000;
constexpr int kCrowdedPictureFolder = 20000;

// A 1 x 1 GIF picture.
const std::string kGif("GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
                       35);

std::string FilePart(const std::string& file_name, const std::string& type, const std::string& data) {
  return "--QeBoundary\r\nContent-Disposition: form-data; name=\"file[]\"; filename=\"" + file_name +
         "\"\r\nContent-Type: " + type + "\r\n\r\n" + data + "\r\n";
}

// The default site with a user who may upload, and one Application for all
// runs, as a server keeps it: the room is measured once, by the first upload.
struct Site : bench_support::MountedDefaultSite {
  Site() {
    host::SetEditorUploadRoomSize(*application, 1 << 20);  // no run fills it
    uploads = folder / "Data_UploadFiles";
    Crowd(uploads / "crowded", kCrowdedAttachmentFolder, ".txt");
    Run("", "", u"");  // the site's database made, its address left in the Application
    vb::Variant conn(com::CreateObject(u"ADODB.Connection"));
    com::Call(conn, u"Open", application->Get(qe::kPublicQeDataConnString));
    const vb::String digest = qe::Kesra_Class_Md5().KesraMd5(u"pw");
    com::Call(conn, u"Execute", u"Update [User] Set [PassWord]='" + digest + u"' Where [ID]=1");
    vb::Variant rs = com::Call(conn, u"Execute", vb::String(u"Select * From [User] Where [ID]=1"));
    auto field = [&](const char16_t* name) { return vb::CStr(com::ValueOf(com::Call(rs, u"", vb::String(name)))); };
    user_info = u"1|" + field(u"UserName") + u"|" + field(u"Name") + u"|" + field(u"Part") + u"|" + field(u"Rule") +
                u"|20240105083000|" + digest;
    com::Call(conn, u"Close");
    // The room is measured by the first upload, once for the server's life.
    Run("DialogType=all&SaveUpFilesPath=/Data_UploadFiles/first", FilePart("first.txt", "text/plain", "x") +
        "--QeBoundary--\r\n", user_info);
  }

  static void Crowd(const stdfs::path& where, int count, const std::string& extension) {
    stdfs::create_directories(where);
    for (int i = 0; i < count; ++i) std::ofstream(where / ("old" + std::to_string(i) + extension));
  }

  // The page's answer to a POST of `body` with the query.
  std::string Run(const std::string& query, const std::string& body, const vb::String& logged_in) {
    asp::RequestSpec wanted;
    wanted.method = u"POST";
    wanted.url = vb::String(host::kEditorUploadPage) + (query.empty() ? u"" : u"?" + vb::FromUtf8(query));
    wanted.site_root = root;
    wanted.headers = {{u"Host", u"school.example"},
                      {u"Referer", u"http://school.example/office/news_edit.asp"},
                      {u"X-Requested-With", u"XMLHttpRequest"},
                      {u"Content-Type", u"multipart/form-data; boundary=QeBoundary"}};
    wanted.body = body;
    if (!logged_in.empty()) wanted.session = {{u"UserInfo", vb::Variant(logged_in)}};
    wanted.application = application;
    asp::Context context(std::move(wanted));
    asp::ContextScope current(context);
    host::Page page{context.Request(), context.Response(), context.Server(), context.Session(), context.Application()};
    host::EditorUploadPage(page);
    context.Finish();
    return context.ResponseBody();
  }

  // How many files the answer names as saved.
  static size_t Saved(const std::string& answer) {
    static const std::regex kSaved(R"re("url":"/Data_UploadFiles/[^"]+")re");
    return static_cast<size_t>(std::distance(std::sregex_iterator(answer.begin(), answer.end(), kSaved), {}));
  }

  void Upload(benchmark::State& state, const std::string& query, const std::string& body, size_t expected) {
    std::string answer = Run(query, body, user_info);
    if (Saved(answer) != expected) state.SkipWithError(("saved: " + answer.substr(0, 200)).c_str());
  }

  std::shared_ptr<asp::ApplicationState> application = std::make_shared<asp::ApplicationState>();
  stdfs::path uploads;
  vb::String user_info;
};

Site& site() {
  static Site s;
  return s;
}

const std::string& Attachments() {
  static const std::string body = [] {
    std::string b;
    for (int i = 0; i < kAttachments; ++i) b += FilePart("note" + std::to_string(i) + ".txt", "text/plain", "note");
    return b + "--QeBoundary--\r\n";
  }();
  return body;
}

constexpr int kAttachmentRuns = 10;
constexpr int kPictureRuns = 200;

void BM_AttachmentsIntoEmptyFolder(benchmark::State& state) {
  int run = 0;
  for (auto _ : state) {
    const std::string query = "DialogType=all&SaveUpFilesPath=/Data_UploadFiles/empty" + std::to_string(++run);
    site().Upload(state, query, Attachments(), kAttachments);
  }
}
BENCHMARK(BM_AttachmentsIntoEmptyFolder)->Iterations(kAttachmentRuns)->Unit(benchmark::kMillisecond);

void BM_AttachmentsIntoCrowdedFolder(benchmark::State& state) {
  for (auto _ : state)
    site().Upload(state, "DialogType=all&SaveUpFilesPath=/Data_UploadFiles/crowded", Attachments(), kAttachments);
}
BENCHMARK(BM_AttachmentsIntoCrowdedFolder)->Iterations(kAttachmentRuns)->Unit(benchmark::kMillisecond);

void PastePicture(benchmark::State& state) {
  const std::string body = FilePart("blob", "image/gif", kGif) + "--QeBoundary--\r\n";
  for (auto _ : state) site().Upload(state, "", body, 1);
}

// The pictures' folder is one: empty first, then crowded for the next.
void BM_PastedPictureIntoEmptyFolder(benchmark::State& state) { PastePicture(state); }
BENCHMARK(BM_PastedPictureIntoEmptyFolder)->Iterations(kPictureRuns)->Unit(benchmark::kMicrosecond);

void BM_PastedPictureIntoCrowdedFolder(benchmark::State& state) {
  static const bool crowded = (Site::Crowd(site().uploads / "QeEditor", kCrowdedPictureFolder, ".gif"), true);
  benchmark::DoNotOptimize(crowded);
  PastePicture(state);
}
BENCHMARK(BM_PastedPictureIntoCrowdedFolder)->Iterations(kPictureRuns)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  site();
  return bench_support::RunWithSummary(argc, argv, [](const bench_support::Seconds& seconds) {
    auto ratio = [&](const char* what, const char* crowded, const char* empty) {
      double a = bench_support::SecondsOf(seconds, crowded), b = bench_support::SecondsOf(seconds, empty);
      if (a > 0 && b > 0) std::printf("%s: %.2fx the empty folder (%.2f ms against %.2f ms)\n", what, a / b, a * 1e3, b * 1e3);
    };
    std::printf("\n");
    ratio("200 attachments into a folder of 37,000 entries", "BM_AttachmentsIntoCrowdedFolder",
          "BM_AttachmentsIntoEmptyFolder");
    ratio("a pasted picture into a folder of 20,000 entries", "BM_PastedPictureIntoCrowdedFolder",
          "BM_PastedPictureIntoEmptyFolder");
  });
}
