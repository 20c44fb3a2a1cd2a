#include "link/receive_session.h"

#include <exception>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "record/record_text.h"

namespace kj {

ReceiveSession::ReceiveSession(PortOpener opener, std::size_t max_chars)
    : opener_(std::move(opener)), max_chars_(max_chars) {}

ReceiveSession::~ReceiveSession() {
  quiet_.store(true);
  abort_receive();
  joinWorker();
  on_header_ = nullptr;
  on_progress_ = nullptr;
  on_block_ = nullptr;
  on_ended_ = nullptr;
  received_text_.clear();
  close_port();
}

bool ReceiveSession::open_port(const std::wstring& name) {
  close_port();
  port_ = opener_ ? opener_(name) : nullptr;
  return port_ != nullptr;
}

bool ReceiveSession::send_ack() { return port_ != nullptr && port_->writeByte(byte_ack); }

void ReceiveSession::close_port() {
  if (worker_.joinable()) {
    if (running()) abort_receive();
    joinWorker();
  }
  port_.reset();
}

bool ReceiveSession::start_receive() {
  if (!port_) return false;
  if (!on_header_ || !on_progress_ || !on_block_ || !on_ended_) return false;
  // The owner starts only after the last receive has ended; a worker that is
  // still returning from on_ended is waited for, so two never share the port.
  if (worker_.joinable()) {
    if (running()) abort_receive();
    joinWorker();
  }
  // Both flags are set here, before the worker exists, so that an abort
  // straight after the start cannot be undone by the worker setting one.
  flags_.store(running_bit | succeeded_bit);
  received_text_.clear();
  header_ = file::Header{};
  if (port_->purgeReceive()) (void)port_->purgeTransmit();
  try {
    worker_ = std::thread([this] { runWorker(); });
  } catch (const std::system_error&) {
    // No thread could be made: nothing runs, nothing will be reported.
    flags_.store(0);
    return false;
  }
  return true;
}

void ReceiveSession::abort_receive() { flags_.store(0); }

void ReceiveSession::joinWorker() {
  if (worker_.joinable()) worker_.join();
}

std::optional<std::uint8_t> ReceiveSession::readOrFail() {
  const auto byte = port_->readByte();
  if (!byte || *byte == byte_nak) fail();
  return byte && *byte != byte_nak ? byte : std::nullopt;
}

ReceiveSession::Step ReceiveSession::runProtocol() {
  bool short_block = false;
  bool tagged = false;

  // Waiting for the request: anything else, and silence, keeps waiting.
  for (;;) {
    if (!running()) return Step::failed;
    const auto byte = port_->readByte();
    if (byte && (*byte == byte_enq || *byte == byte_syn)) {
      short_block = *byte == byte_enq;
      (void)port_->writeByte(byte_ack);
      break;
    }
  }

  const auto append = [this](std::uint8_t b) {
    if (received_text_.size() >= max_chars_) {
      fail();
      return false;
    }
    received_text_.push_back(widenByte(b));
    return true;
  };

  // First byte: SOH opens a tagged header.
  if (!running()) return Step::failed;
  {
    const auto byte = readOrFail();
    if (!byte) return Step::failed;
    if (!append(*byte)) return Step::failed;
    tagged = *byte == byte_soh;
  }

  // The header runs up to the comma after the record count.
  const int header_commas = tagged ? 4 : 1;
  int commas = 0;
  while (running() && commas < header_commas) {
    const auto byte = readOrFail();
    if (!byte) return Step::failed;
    if (!append(*byte)) return Step::failed;
    if (*byte == ',') ++commas;
  }

  if (!running()) return Step::failed;
  try {
    header_ = parseHeader(received_text_, short_block);
  } catch (const std::invalid_argument&) {
    fail();
    return Step::failed;
  } catch (const std::out_of_range&) {
    fail();
    return Step::failed;
  }
  on_header_(header_);

  // Records, each STX ... ETX, until EOT; spaces after the header go.
  int records = 0;
  while (running()) {
    const auto byte = readOrFail();
    if (!byte) return Step::failed;
    if (*byte == byte_eot) {
      (void)send_ack();
      break;
    }
    if (*byte == ' ') continue;
    if (!append(*byte)) return Step::failed;
    if (*byte == byte_etx) {
      ++records;
      on_progress_(records, header_.record_count);
    }
  }

  if (!running()) return Step::failed;
  on_block_(header_, received_text_);
  return Step::go_on;
}

void ReceiveSession::runWorker() {
  try {
    if (runProtocol() == Step::failed) fail();
  } catch (const std::exception&) {
    // Out of memory, or a callable that threw: the transfer has failed.
    fail();
  }
  // Clear running alone: an abort after on_block still counts.
  const bool ok = (flags_.fetch_and(~running_bit) & succeeded_bit) != 0;
  if (quiet_.load()) return;
  try {
    on_ended_(ok);
  } catch (const std::exception&) {
    // Nothing is left to tell.
  }
}

}  // namespace kj
