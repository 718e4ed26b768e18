#include "app/link_list.h"

#include "app/file_write.h"
#include "app/process.h"
#include "app/run_directory.h"

namespace sl {

bool SaveResult = false;

void PathRemoveBlanks(Text& text) {
  std::string_view bytes = text.View();
  size_t first = bytes.find_first_not_of(' ');
  if (first == std::string_view::npos) {
    text = Text("");
    return;
  }
  size_t last = bytes.find_last_not_of(' ');
  if (first == 0 && last + 1 == bytes.size()) return;
  text = Text(bytes.substr(first, last + 1 - first));
}

Text TrimmedLinkText(Text& variable) {
  if (variable.IsAbsent()) return Text();
  PathRemoveBlanks(variable);
  return variable;
}

Text LinkListPath() { return TextConcat(RunDirectory(), PathSeparator(), "url.txt"); }

void SaveLinkList(MainWindow& window) {
  ByteBuffer data;
  {
    Text content = window.ReadContent(ControlId::编辑框_链接);
    Text trimmed = TrimmedLinkText(content);
    data = TextToBytes(trimmed);
  }
  const Text path = LinkListPath();
  SaveResult = WriteWholeFile(path, data);
  if (!SaveResult) return;
  window.SetCaption(ControlId::标签4, TextConcat("写出文件成功：", path));
}

}  // namespace sl
