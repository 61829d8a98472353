#pragma once
// Where a child started by ChildProcess finds its end of the channel: a descriptor of a fixed
// number, so that its standard streams can lead nowhere.
namespace zep::posix {

inline constexpr int kChildChannelDescriptor = 3;

}  // namespace zep::posix
