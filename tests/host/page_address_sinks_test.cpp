// Every page that writes an address taken from its request into an attribute
// or a script, given addresses that would run a script there: none is
// written, and the page answers with its own text, never a server error.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "facade/qecls.h"
#include "host/file_view_pages.h"
#include "host/page_context.h"

namespace {

namespace stdfs = std::filesystem;

TEST(PageAddressSinks, NoPageWritesAnAddressThatRuns) {
  qe::RegisterComponentClasses();
  const stdfs::path site = stdfs::temp_directory_path() / ("qe-address-sinks-" + std::to_string(::getpid()));
  stdfs::remove_all(site);
  stdfs::create_directories(site);
  struct Sink {
    void (*page)(host::Page&);
    const char* path;
    const char* query;  // the address comes last
  } sinks[] = {
      {&host::FileViewPage, "/comm/kesra_FileView.asp", "FileType=Image&Url="},
      {&host::FileViewPage, "/comm/kesra_FileView.asp", "FileType=Wav&Url="},
      {&host::FileViewPage, "/comm/kesra_FileView.asp", "FileType=Mp4&Url="},
      {&host::FileViewPage, "/comm/kesra_FileView.asp", "FileType=Movie&RunSystem=rtsp&Url="},
      {&host::FileViewPage, "/comm/kesra_FileView.asp", "FileType=Movie&RunSystem=mms&Url="},
      {&host::FileViewPage, "/comm/kesra_FileView.asp", "FileType=Flash&PlayType=FullScreen&Url="},
      {&host::FileViewPage, "/comm/kesra_FileView.asp", "FileType=Flash&PlayType=Control&Url="},
      {&host::FileDownloadPage, "/comm/kesra_Download.asp", "p_Act=View&p_CurrentFile="},
      {&host::FileDownloadPage, "/comm/kesra_Download.asp", "p_Act=DownLoad&p_CurrentFile="},
      {&host::FileDownloadPage, "/comm/kesra_Download.asp", "p_CurrentFile="},
  };
  for (const char* address : {"javascript:alert(7)", "%20JaVa%09ScRiPt:alert(7)", "data:text/html,alert(7)",
                              "javascript%26%2358;alert(7)"}) {
    for (const Sink& sink : sinks) {
      host::PageOptions options;
      options.site = site.string();
      options.page = sink.path;
      options.query = std::string(sink.query) + address;
      host::PageContext context(options);
      host::Page page{*context.Intrinsic(u"Request"), *context.Intrinsic(u"Response"), *context.Intrinsic(u"Server"),
                      *context.Intrinsic(u"Session"), *context.Intrinsic(u"Application")};
      std::string answer;
      try {
        sink.page(page);
        answer = context.ResponseText();
      } catch (const vb::Error& error) {
        answer = "raised " + vb::ToUtf8(error.Description());
      }
      EXPECT_EQ(answer.find("alert(7)"), std::string::npos) << sink.path << "?" << options.query << "\n" << answer;
      EXPECT_EQ(answer.find("raised"), std::string::npos) << sink.path << "?" << options.query;
    }
  }
  stdfs::remove_all(site);
}

}  // namespace
