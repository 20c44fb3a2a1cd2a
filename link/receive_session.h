#pragma once
// One transfer of fusion records from the controller: the worker thread that
// runs the line protocol, and the port it runs it on.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "link/serial_port.h"
#include "record/record_types.h"

namespace kj {

// Line control bytes of the transfer.
inline constexpr std::uint8_t byte_soh = 0x01;
inline constexpr std::uint8_t byte_stx = 0x02;
inline constexpr std::uint8_t byte_etx = 0x03;
inline constexpr std::uint8_t byte_eot = 0x04;
inline constexpr std::uint8_t byte_enq = 0x05;  // request, short records (33 fields)
inline constexpr std::uint8_t byte_ack = 0x06;
inline constexpr std::uint8_t byte_nak = 0x15;
inline constexpr std::uint8_t byte_syn = 0x16;  // request, long records (39 fields)

// The most characters a received block may hold: far above a full block of
// 65,535 long records, so that a line that never ends cannot exhaust memory.
inline constexpr std::size_t max_received_chars = std::size_t{65535} * 512;

// Opens a port by name (openSerialPort, or a fake in tests).
using PortOpener = std::function<std::unique_ptr<SerialPort>(const std::wstring& name)>;

class ReceiveSession {
 public:
  using HeaderCallback = std::function<void(const file::Header&)>;
  using ProgressCallback = std::function<void(int received, int announced)>;
  using BlockCallback = std::function<void(const file::Header&, const std::wstring&)>;
  using EndedCallback = std::function<void(bool succeeded)>;

  // max_chars bounds the received text; a transfer that would grow beyond it
  // fails.
  explicit ReceiveSession(PortOpener opener = openSerialPort, std::size_t max_chars = max_received_chars);
  // Aborts a running receive and waits for its worker (at most about one read
  // time-out); on_ended is not called then. Closes the port.
  ~ReceiveSession();
  ReceiveSession(const ReceiveSession&) = delete;
  ReceiveSession& operator=(const ReceiveSession&) = delete;

  // Opens the named port with the controller's settings; false (port closed)
  // when it cannot be opened or configured. Window thread, no receive running.
  bool open_port(const std::wstring& name);
  // Writes one ACK; true only when one byte was written; false at once when
  // the port is closed.
  bool send_ack();
  // Closes the port if it is open. Waits for a worker that is still ending
  // (and aborts one that is still running), so the port is never closed
  // under it.
  void close_port();
  bool port_open() const { return port_ != nullptr; }

  // The callables are called on the worker thread, in protocol order. They
  // must only hand the news on (post to the owner's thread) and must not
  // start, abort, close or destroy this session. Each setter replaces the
  // earlier callable; all four must be set before start_receive.
  void set_on_header(HeaderCallback f) { on_header_ = std::move(f); }
  void set_on_progress(ProgressCallback f) { on_progress_ = std::move(f); }
  void set_on_block(BlockCallback f) { on_block_ = std::move(f); }
  void set_on_ended(EndedCallback f) { on_ended_ = std::move(f); }

  // Starts a receive on the open port: discards the receive buffer (and then
  // the transmit buffer) and starts the worker. False when the port is not
  // open, a callable is missing or no thread could be started. A worker of
  // an earlier receive is waited for first (aborted if it still runs).
  bool start_receive();
  // Tells the worker to stop: it notices within about one read time-out and
  // calls on_ended(false).
  void abort_receive();

  bool running() const { return (flags_.load() & running_bit) != 0; }
  bool succeeded() const { return (flags_.load() & succeeded_bit) != 0; }

  // The header of the block being received; valid once on_header was called.
  const file::Header& header() const { return header_; }
  // The block as received (one character per byte, bytes 0x80-0xFF widened
  // as record files are); complete once on_block was called.
  const std::wstring& received_text() const { return received_text_; }

 private:
  static constexpr unsigned running_bit = 1;
  static constexpr unsigned succeeded_bit = 2;

  enum class Step { go_on, failed };

  void runWorker();
  // The protocol up to delivering the block; failed when the transfer failed.
  Step runProtocol();
  std::optional<std::uint8_t> readOrFail();
  void fail() { flags_.store(0); }
  void joinWorker();

  PortOpener opener_;
  std::size_t max_chars_;
  std::unique_ptr<SerialPort> port_;
  std::thread worker_;
  std::wstring received_text_;
  // Both flags in one atomic, so that abort clears them in one step.
  std::atomic<unsigned> flags_{0};
  // Set while the session is being destroyed: the owner may be gone already.
  std::atomic<bool> quiet_{false};
  file::Header header_;
  HeaderCallback on_header_;
  ProgressCallback on_progress_;
  BlockCallback on_block_;
  EndedCallback on_ended_;
};

}  // namespace kj
