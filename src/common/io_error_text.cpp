#include "common/io_error_text.h"

namespace miwake {

std::string IoErrorText(int code) {
  switch (code) {
    case 2:
      return "ﾌｧｲﾙが見つかりません";
    case 3:
      return "不正なﾌｧｲﾙ名です";
    case 4:
      return "ｵｰﾌﾟﾝしたﾌｧｲﾙが多すぎます";
    case 5:
      return "ﾌｧｲﾙへのｱｸｾｽが拒否されました";
    case 100:
      return "ﾌｧｲﾙの末尾以降を読み込みました";
    case 101:
      return "ﾃﾞｨｽｸがいっぱいです";
    case 106:
      return "入力値が数値ではありません";
    default:
      return "I/O ｴﾗｰ (" + std::to_string(code) + ")";
  }
}

std::string WithFullStop(std::string message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') message += '.';
  return message;
}

}  // namespace miwake
