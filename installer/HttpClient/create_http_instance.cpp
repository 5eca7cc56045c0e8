#include <new>

#include "installer/HttpClient/http_base.h"
#include "installer/HttpClient/wininet_http.h"

bool CreateHttpInstance(IHttpBase** instance, int type) {
  if (!instance) return false;
  *instance = nullptr;
  if (type != 1) return false;
  *instance = new (std::nothrow) CWininetHttp();
  return *instance != nullptr;
}
