#include "export/PstOutput.h"

#include <stdexcept>

#include "pst/PstMailWriter.h"

namespace tarnwick::exporter {

namespace {

pst::BodyKind ToPst(BodyKind kind) { return static_cast<pst::BodyKind>(static_cast<std::int16_t>(kind)); }

pst::ContactField ToPst(ContactField field) {
  switch (field) {
    case ContactField::BusinessAddressCity: return pst::ContactField::BusinessAddressCity;
    case ContactField::BusinessAddressPostalCode: return pst::ContactField::BusinessAddressPostalCode;
    case ContactField::BusinessAddressCountry: return pst::ContactField::BusinessAddressCountry;
    case ContactField::BusinessAddressStreet: return pst::ContactField::BusinessAddressStreet;
    case ContactField::CompanyName: return pst::ContactField::CompanyName;
    case ContactField::Department: return pst::ContactField::Department;
    case ContactField::Email1Address: return pst::ContactField::Email1Address;
    case ContactField::FirstName: return pst::ContactField::FirstName;
    case ContactField::JobTitle: return pst::ContactField::JobTitle;
    case ContactField::LastName: return pst::ContactField::LastName;
    case ContactField::NickName: return pst::ContactField::NickName;
    case ContactField::OfficeLocation: return pst::ContactField::OfficeLocation;
    case ContactField::AssistantTelephoneNumber: return pst::ContactField::AssistantTelephoneNumber;
    case ContactField::BusinessTelephoneNumber: return pst::ContactField::BusinessTelephoneNumber;
    case ContactField::MobileTelephoneNumber: return pst::ContactField::MobileTelephoneNumber;
    case ContactField::Profession: return pst::ContactField::Profession;
    case ContactField::Spouse: return pst::ContactField::Spouse;
    case ContactField::WebPage: return pst::ContactField::WebPage;
  }
  throw std::logic_error("unknown contact field");
}

class PstContactAdapter : public ContactWriter {
 public:
  explicit PstContactAdapter(pst::PstMailWriter& mail) : writer_(mail) {}
  void Logon() override { writer_.Logon(); }
  void OpenFolder(const std::string& folderPath) override { writer_.OpenFolder(folderPath); }
  void CreateContact() override { writer_.CreateContact(); }
  void SetField(ContactField field, const std::string& value) override { writer_.SetField(ToPst(field), value); }
  void AddAttachment(const std::string& filePath) override { writer_.AddAttachment(filePath); }
  void SetBody(const std::string& body) override { writer_.SetBody(body); }
  void Save() override { writer_.Save(); }

 private:
  pst::PstContactWriter writer_;
};

class PstStoreAdapter : public OutputStore, public MailWriter {
 public:
  MailWriter& mail() override { return *this; }
  std::unique_ptr<ContactWriter> newContactWriter() override { return std::make_unique<PstContactAdapter>(w_); }

  void Connect() override { w_.Connect(); }
  void Disconnect() override { w_.Disconnect(); }
  void CreateStore(const std::string& path, const std::string& name) override { w_.CreateStore(path, name); }
  void CreateFolder(const std::string& p) override { w_.CreateFolder(p); }
  void OpenFolder(const std::string& p) override { w_.OpenFolder(p); }
  void CloseFolder() override { w_.CloseFolder(); }
  void AddMessage(const std::string& f, const std::string& s, const std::string& r, const std::string& h,
                  const std::string& d, const std::string& a, const std::string& b, BodyKind k, const std::string& r1,
                  const std::string& r2) override {
    w_.AddMessage(f, s, r, h, d, a, b, ToPst(k), r1, r2);
  }
  void ImportMessageFile(const std::string& f, const std::string& eml) override { w_.ImportMessageFile(f, eml); }
  void AddAppointment(const std::string& f, const std::string& s, const std::string& from, const std::string& st,
                      const std::string& en, const std::string& c, const std::string& l, const std::string& tz,
                      const std::string& b, BodyKind k) override {
    w_.AddAppointment(f, s, from, st, en, c, l, tz, b, ToPst(k));
  }
  void AddJournalEntry(const std::string& f, const std::string& a, const std::string& b, const std::string& from,
                       const std::string& s, BodyKind k) override {
    w_.AddJournalEntry(f, a, b, from, s, ToPst(k));
  }
  void AddTask(const std::string& f, const std::string& d, const std::string& a, const std::string& b,
               const std::string& from, const std::string& s, BodyKind k) override {
    w_.AddTask(f, d, a, b, from, s, ToPst(k));
  }
  void AddNote(const std::string& f, const std::string& b, const std::string& s, BodyKind k) override {
    w_.AddNote(f, b, s, ToPst(k));
  }
  void CloseStore() override { w_.CloseStore(); }

 private:
  pst::PstMailWriter w_;
};

}  // namespace

std::unique_ptr<OutputStore> PstOutputFactory::newStore() { return std::make_unique<PstStoreAdapter>(); }


}  // namespace tarnwick::exporter
