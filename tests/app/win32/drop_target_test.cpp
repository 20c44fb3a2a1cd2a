// The program's drop target and the reading of a drop of files: what a drag
// of files from the file manager hands over, and what other drags do not.

#include "app/win32/drop_target.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/com_ptr_win32.h"
#include "tests/support/file_drop_data.h"

namespace kj::win32 {
namespace {

using kj::test::FileDropData;

// The drop block the data object hands out, read as the window reads it.
std::vector<std::wstring> readBack(const std::vector<std::wstring>& paths, std::size_t max_length) {
  const auto data = com::ComPtr<IDataObject>::adopt(new FileDropData(paths));
  FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  EXPECT_EQ(data->GetData(&format, &medium), S_OK);
  std::vector<std::wstring> read = droppedPaths(static_cast<HDROP>(medium.hGlobal), max_length);
  ReleaseStgMedium(&medium);
  return read;
}

TEST(DroppedPaths, KeepTheOrderAndEmptyOnlyThePathsLongerThanTheLimit) {
  const std::wstring at_limit = L"C:\\" + std::wstring(256, L'a');  // 259 characters
  const std::wstring over_limit = at_limit + L"b";
  ASSERT_EQ(at_limit.size(), 259U);
  const std::vector<std::wstring> paths = {L"C:\\記録\\b.efdx", over_limit, at_limit, L"D:\\a.mrg"};
  EXPECT_EQ(readBack(paths, 259), (std::vector<std::wstring>{L"C:\\記録\\b.efdx", L"", at_limit, L"D:\\a.mrg"}));
}

class DropTargetTest : public ::testing::Test {
 protected:
  std::vector<std::vector<std::wstring>> drops;
  const com::ComPtr<IDropTarget> target = com::ComPtr<IDropTarget>::adopt(
      newFileDropTarget(259, [this](std::vector<std::wstring> paths) { drops.push_back(std::move(paths)); }));
};

TEST_F(DropTargetTest, ADragOfFilesIsTakenAsACopyAndItsDropHandsOverThePaths) {
  const auto data = com::ComPtr<IDataObject>::adopt(new FileDropData({L"C:\\a.efd", L"C:\\b.txt"}));
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
  ASSERT_EQ(target->DragEnter(data.get(), 0, POINTL{10, 10}, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  ASSERT_EQ(target->DragOver(0, POINTL{12, 12}, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_TRUE(drops.empty());

  effect = DROPEFFECT_COPY;
  ASSERT_EQ(target->Drop(data.get(), 0, POINTL{12, 12}, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(drops, (std::vector<std::vector<std::wstring>>{{L"C:\\a.efd", L"C:\\b.txt"}}));
}

TEST_F(DropTargetTest, DragsThatCarryNoFilesOrAllowNoCopyAreRefused) {
  const auto other = com::ComPtr<IDataObject>::adopt(new FileDropData({L"C:\\a.efd"}, false));
  DWORD effect = DROPEFFECT_COPY;
  ASSERT_EQ(target->DragEnter(other.get(), 0, POINTL{0, 0}, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  effect = DROPEFFECT_COPY;
  ASSERT_EQ(target->DragOver(0, POINTL{0, 0}, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  effect = DROPEFFECT_COPY;
  ASSERT_EQ(target->Drop(other.get(), 0, POINTL{0, 0}, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));

  // Files, but the source allows only a move.
  const auto files = com::ComPtr<IDataObject>::adopt(new FileDropData({L"C:\\a.efd"}));
  effect = DROPEFFECT_MOVE;
  ASSERT_EQ(target->DragEnter(files.get(), 0, POINTL{0, 0}, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  ASSERT_EQ(target->DragLeave(), S_OK);
  EXPECT_TRUE(drops.empty());
}

}  // namespace
}  // namespace kj::win32
