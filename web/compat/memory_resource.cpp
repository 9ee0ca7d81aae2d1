// The two resources that the experimental header declares and whose
// definitions live in a library Emscripten does not ship.
#include <memory_resource>

#ifdef FORMEL_COMPAT_MEMORY_RESOURCE

_LIBCPP_BEGIN_NAMESPACE_LFTS_PMR

namespace {

class NewDeleteResource final : public memory_resource {
  void* do_allocate(size_t bytes, size_t alignment) override {
    return ::operator new(bytes, std::align_val_t(alignment));
  }
  void do_deallocate(void* p, size_t bytes, size_t alignment) override {
    ::operator delete(p, bytes, std::align_val_t(alignment));
  }
  bool do_is_equal(const memory_resource& other) const noexcept override { return this == &other; }
};

}  // namespace

memory_resource* new_delete_resource() noexcept {
  static NewDeleteResource resource;
  return &resource;
}

memory_resource* get_default_resource() noexcept { return new_delete_resource(); }

_LIBCPP_END_NAMESPACE_LFTS_PMR
#endif
