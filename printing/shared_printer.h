#pragma once
// The program's one printer, made at the first print: the choices made in a print dialog
// stay for the next print, whichever window prints.

#include <QPrinter>

#include <memory>

namespace kolmarin {

class SharedPrinter {
  public:
    QPrinter& printer() {
        if (!printer_)
            printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        return *printer_;
    }

  private:
    std::unique_ptr<QPrinter> printer_;
};

} // namespace kolmarin
