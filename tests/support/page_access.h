#pragma once
// How tests reach a page's private controls: each page keeps them in a private
// base named by its `Controls` alias and names PageTestAccess a friend.
//   Controls(form->page<JunkFilesPage>()).scanButton.click();
// Controls that a page shares with others through a base class of pages (which
// names PageTestAccess a friend too) are reached by that base's controls type:
//   SharedControls<FileToolControls>(form->page<ShredderPage>()).chooseFilesButton.click();

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
  template <class Shared, class P>
  static Shared& shared(P& page) {
    return page;
  }
};

namespace test {

template <class P>
auto& Controls(P& page) {
  return PageTestAccess::controls(page);
}

template <class Shared, class P>
Shared& SharedControls(P& page) {
  return PageTestAccess::shared<Shared>(page);
}

}  // namespace test
}  // namespace wv
