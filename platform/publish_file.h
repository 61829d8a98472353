#pragma once
// Output files are written under a temporary name that no reader looks for, flushed to disk,
// and only then published under their final name. Publishing fails when the name exists, which
// gives the callers' attempt rules (next attempt number, or next second) their meaning.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "platform/system_result.h"

namespace zep {

enum class PublishResult { Published, NameTaken, Failed };

class PendingFile {
public:
    // Creates the temporary file in the folder of the final names. Fails when the folder is
    // missing or not writable, with the system's reason.
    static SystemResult<PendingFile> Create(const std::filesystem::path& folder);

    PendingFile(PendingFile&& other) noexcept;
    PendingFile& operator=(PendingFile&& other) noexcept;
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    // Removes the temporary file unless it was published.
    ~PendingFile();

    // Appends bytes; returns how many were written (fewer on a full disk or an error).
    std::size_t Write(std::span<const std::uint8_t> bytes);
    std::size_t Write(std::string_view text);
    // Appends the pieces in order with as few calls as the system allows; returns how many bytes
    // were written in all (fewer on a full disk or an error).
    std::size_t Write(std::span<const std::span<const std::uint8_t>> pieces);

    // Ends writing: gives up the open file but keeps the temporary name, so that a worker with
    // thousands of outputs need not hold them all open. False when the content may not have
    // been stored in full.
    bool Finish();

    // Flushes the content to disk (once) and links it under the final path. NameTaken leaves
    // the temporary in place for another attempt; Published removes the temporary name.
    PublishResult Publish(const std::filesystem::path& finalPath);
    // Flushes the content and puts it in place of the final path, whether or not a file of
    // that name exists; a reader sees either the old or the new content, never a mixture.
    PublishResult Replace(const std::filesystem::path& finalPath);

    std::filesystem::path TemporaryPath() const;
    // Why the last Write, Finish, Publish or Replace of this file fell short (unknown when
    // none did, or when no system call failed).
    SystemError Failure() const;

private:
    friend class PublishBatch;
    struct State;  // the open file of the backend, the names and the flush state
    explicit PendingFile(std::unique_ptr<State> state);

    std::unique_ptr<State> m_state;
};

// Flushes everything written so far on the file system that holds the folder, the names
// published into it included: one call covers many finished files.
SystemDone FlushFileSystem(const std::filesystem::path& folder);

// Flushes the names of a folder (files published into it or removed from it), not their
// content. Fails when they may not be on disk.
SystemDone FlushFolder(const std::filesystem::path& folder);

// Tries nameFor(0), nameFor(1), ... until one is free. nullopt when publishing fails for any
// other reason than a taken name, or after maxAttempts taken names.
std::optional<std::filesystem::path> PublishNumbered(
    PendingFile& file, const std::function<std::filesystem::path(int attempt)>& nameFor,
    int maxAttempts = 100000);

// The end of a move by copying: publishes the copy under the first free name, flushes that
// folder, tells onDisk (if any) the name, and only then removes the source with removeSource. A
// source that stays would be handed on a second time, so when the flush or the removal fails
// the copy is taken back and the failure given.
SystemResult<std::filesystem::path> HandOverCopy(
    PendingFile& copy, const std::function<std::filesystem::path(int attempt)>& nameFor,
    const std::function<void(const std::filesystem::path&)>& onDisk,
    const std::function<SystemDone()>& removeSource, int maxAttempts);

// Removes a file (not a folder) that was handed on. Fails when it is still there or was not
// found.
SystemDone RemoveFile(const std::filesystem::path& path);

// Gives the temporary names of this process a tag: the program folder's, set once at start-up
// before anything is written. A temporary name then says which program folder's program wrote
// it, so that a later start can tell its own leftovers (a crash leaves them) from the files of
// another program writing into the same folder at that moment.
void SetTemporaryNameTag(std::string tag);
// Removes the plain files of the folder whose names are temporary names of this process's tag
// (nothing while no tag is set); returns how many. Only for a start under the program folder's
// lock: no other process of this tag can be writing then.
int RemoveOwnTemporaries(const std::filesystem::path& folder);

// Moves a finished file to the first free numbered name. Within one file system this is a
// hard link plus removal of the old name; across file systems the content is copied, flushed
// and published, and only then is the source removed. A failure leaves the source where it was
// and no copy under a new name (a source that cannot be removed takes its copy back). onDisk,
// if given, is called once a copy's name is on disk and before the source goes.
SystemResult<std::filesystem::path> MoveNumbered(
    const std::filesystem::path& source,
    const std::function<std::filesystem::path(int attempt)>& nameFor,
    const std::function<void(const std::filesystem::path&)>& onDisk = {}, int maxAttempts = 100000);

}  // namespace zep
