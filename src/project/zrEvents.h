#pragma once
// Event and class-reference types shared by the project, the batch and the
// converters, declared here so that the project needs no batch or converter code.

#include <functional>
#include <memory>

namespace vantile {

class TzrBatch;
class TzrNode;
class TzrConvertor;

// Per-task event: (batch, task), run on the thread that raises it.
using TzrNodeEvent = std::function<void(TzrBatch*, TzrNode*)>;
// Event without arguments (the converters' end notice).
using TzrEvent = std::function<void()>;

// The "class reference" of the converters of a run: a virtual constructor that
// creates the head of a chain with (batch, worker count, per-task handler).
using TzrConvertorClass = std::function<std::shared_ptr<TzrConvertor>(TzrBatch*, int, const TzrNodeEvent&)>;

}  // namespace vantile
