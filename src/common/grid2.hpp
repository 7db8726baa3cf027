// A 2-D array over the element grid with its ghost ring: i = 0 .. nx + 1,
// j = 0 .. ny + 1, i running fastest in memory. Sized once from the run's grid.
#pragma once

#include <cassert>
#include <cstddef>
#include <vector>

namespace ef {

template <class T>
class Grid2 {
public:
    Grid2() = default;
    Grid2(int nx, int ny, T value = T{})
        : nx_(nx), ny_(ny), stride_(static_cast<std::size_t>(nx) + 2),
          data_(stride_ * (static_cast<std::size_t>(ny) + 2), value) {}

    T& operator()(int i, int j) {
        assert(i >= 0 && i <= nx_ + 1 && j >= 0 && j <= ny_ + 1);
        return data_[static_cast<std::size_t>(i) + stride_ * static_cast<std::size_t>(j)];
    }
    const T& operator()(int i, int j) const {
        assert(i >= 0 && i <= nx_ + 1 && j >= 0 && j <= ny_ + 1);
        return data_[static_cast<std::size_t>(i) + stride_ * static_cast<std::size_t>(j)];
    }

    int nx() const { return nx_; }
    int ny() const { return ny_; }
    void fill(const T& value) { data_.assign(data_.size(), value); }
    T* data() { return data_.data(); }
    const T* data() const { return data_.data(); }
    std::size_t size() const { return data_.size(); }

private:
    int nx_ = 0;
    int ny_ = 0;
    std::size_t stride_ = 2;
    std::vector<T> data_;
};

}  // namespace ef
