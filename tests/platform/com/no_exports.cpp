// A loadable library without the exports of a server.
extern "C" int QbComTestNotAServer() { return 0; }
