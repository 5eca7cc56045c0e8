// The one interface every HTTP request of the installer goes through, the progress
// callback its callers implement, the error codes a client records, and the factory.
//
// A client object is used by one thread at a time, normally for one request: create it,
// add header fields, run one operation, release it with FreeInstance (the destructor is
// not public on this interface; ScopedHttpInstance does the release).
#pragma once

#include <cstddef>
#include <memory>

enum HttpInterfaceError {
  HTTP_ERROR_NONE = 0,
  HTTP_ERROR_OPEN = 1,              // internet or request handle could not be opened
  HTTP_ERROR_CONNECT = 2,           // connection to the server failed (or a bad host/port)
  HTTP_ERROR_SEND = 3,              // sending the request failed
  HTTP_ERROR_CONTENT_LENGTH = 4,    // Content-Length could not be read
  HTTP_ERROR_NOT_FOUND = 5,         // the server answered 404
  HTTP_ERROR_EMPTY_URL = 6,         // file or memory download, file length
  HTTP_ERROR_CREATE_FILE = 7,       // the output file could not be created
  HTTP_ERROR_READ = 8,              // reading failed, or fewer or more bytes than announced
  HTTP_ERROR_RESOLVE = 9,           // host name could not be resolved
  HTTP_ERROR_SOCKET = 10,           // socket could not be created, or receiving failed
  HTTP_ERROR_STOPPED = 11,          // stopped by ShouldStop
  HTTP_ERROR_TOO_LARGE = 12,        // memory download larger than 8 MiB, or negative
  HTTP_ERROR_NO_HEAD = 13,          // no complete response head in the first block
  HTTP_ERROR_EMPTY_REQUEST_URL = 14,
  HTTP_ERROR_WRITE_FILE = 15,       // writing to the output file failed
};

// Progress states passed to OnProgress.
enum HttpProgressState { HTTP_PROGRESS = 0, HTTP_PROGRESS_FAILED = 1, HTTP_PROGRESS_FINISHED = 2 };

class IHttpCallback {
 public:
  // Called on the thread that runs the operation.
  virtual void OnProgress(void* param, int state, double total, double current) = 0;
  virtual bool ShouldStop() = 0;

 protected:
  ~IHttpCallback() = default;
};

class IHttpBase {
 public:
  virtual void SetCallback(IHttpCallback* callback, void* param) = 0;
  // The announced Content-Length; 0 on failure.
  virtual double GetFileLength(const wchar_t* url) = 0;
  virtual bool DownloadFile(const wchar_t* url, const wchar_t* file_path) = 0;
  // On success *buffer comes from malloc and belongs to the caller.
  virtual bool DownloadToMemory(const wchar_t* url, void** buffer, size_t* size) = 0;
  virtual void FreeInstance() = 0;
  virtual int GetErrorCode() = 0;
  virtual void AddHeader(const char* name, const char* value) = 0;
  virtual int GetHttpCode() = 0;

 protected:
  ~IHttpBase() = default;
};

struct HttpInstanceRelease {
  void operator()(IHttpBase* instance) const {
    if (instance) instance->FreeInstance();
  }
};
using ScopedHttpInstance = std::unique_ptr<IHttpBase, HttpInstanceRelease>;

// Type 1 makes a WinINet client. Types 0 (raw sockets) and 2 (WinHTTP) have no back end
// yet; they, like any unknown code, store null and return false.
bool CreateHttpInstance(IHttpBase** instance, int type);
