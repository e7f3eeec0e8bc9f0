#pragma once
// How tests reach a page's private controls: each page keeps them in a private
// base named by its `Controls` alias and names PageTestAccess a friend.
//   Controls(form->page<JunkFilesPage>()).scanButton.click();

namespace wv {

class PageTestAccess {
 public:
  template <class P>
  static typename P::Controls& controls(P& page) {
    return page;
  }
  template <class P>
  static const typename P::Controls& controls(const P& page) {
    return page;
  }
};

namespace test {

template <class P>
auto& Controls(P& page) {
  return PageTestAccess::controls(page);
}

}  // namespace test
}  // namespace wv
