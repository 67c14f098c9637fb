#pragma once

#include <QImage>
#include <QObject>
#include <QString>

#include <functional>
#include <stdexcept>
#include <vector>

class QIODevice;
class TBmSharedComponent;

// Failures of the graphic-controls library, with English texts.
class EBmError : public std::runtime_error {
 public:
  explicit EBmError(const QString& Message);
  QString Message() const { return QString::fromUtf8(what()); }
};

// A property group that reports its changes unless an update is in progress.
class TBmPersistent {
 public:
  TBmPersistent() = default;
  TBmPersistent(const TBmPersistent&) = delete;
  TBmPersistent& operator=(const TBmPersistent&) = delete;
  virtual ~TBmPersistent() = default;

  void BeginUpdate() { ++UpdateCount; }
  void EndUpdate();
  int UpdateCount = 0;
  std::function<void(TBmPersistent* Sender)> OnChange;

 protected:
  void Changed();
};

// An owned list of bitmaps, kept in the window description as the binary
// property "Bitmaps" and in bitmap-list files.
class TBmBitmaps : public TBmPersistent {
 public:
  static constexpr quint32 kSignature = 0x00355462;

  // Appends a copy; returns its index.
  int Add(const QImage& Bitmap);
  int Count() const { return static_cast<int>(Items_.size()); }
  // Throws EBmError for an index outside the list.
  const QImage& Bitmap(int Index) const;
  void Clear();
  // Clears when Source is null, else becomes a copy of Source, with one change report.
  void Assign(const TBmBitmaps* Source);

  // A stream with another signature, cut short or holding a bad bitmap throws
  // EBmError and adds nothing: the list keeps what it had.
  virtual void LoadFromStream(QIODevice& Stream);
  virtual void SaveToStream(QIODevice& Stream) const;
  // Appends the file's bitmaps to the list.
  virtual void LoadFromFile(const QString& FileName);
  // Replaces the file only when the whole list was written.
  virtual void SaveToFile(const QString& FileName) const;

  // The window-description property: written only when the list is not empty;
  // reading clears the list first, so a bad value leaves it empty.
  static constexpr const char* kPropertyName = "Bitmaps";
  bool IsPropertyStored() const { return !Items_.empty(); }
  void ReadProperty(QIODevice& Stream);
  void WriteProperty(QIODevice& Stream) const { SaveToStream(Stream); }

 private:
  std::vector<QImage> Items_;
};

// A registration with a shared component; destroying it unregisters it.
class TBmChangeLink {
 public:
  TBmChangeLink() = default;
  TBmChangeLink(const TBmChangeLink&) = delete;
  TBmChangeLink& operator=(const TBmChangeLink&) = delete;
  virtual ~TBmChangeLink();

  TBmSharedComponent* Sender() const { return Sender_; }
  std::function<void(TBmChangeLink* Sender)> OnChange;
  virtual void Change();

 private:
  friend class TBmSharedComponent;
  TBmSharedComponent* Sender_ = nullptr;
};

class TBmComponent : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString Version READ Version STORED false)

 public:
  explicit TBmComponent(QObject* Owner = nullptr) : QObject(Owner) {}
  QString Version() const { return QStringLiteral("1.2"); }
};

// A component whose changes reach every registered change link.
class TBmSharedComponent : public TBmComponent {
  Q_OBJECT

 public:
  explicit TBmSharedComponent(QObject* Owner = nullptr) : TBmComponent(Owner) {}
  // Links that outlive the component are left with no sender.
  ~TBmSharedComponent() override;

  // Moves the link here from any component it was registered with.
  void RegisterChanges(TBmChangeLink* Link);
  void UnRegisterChanges(TBmChangeLink* Link);

 protected:
  void NotifyLinks();

 private:
  std::vector<TBmChangeLink*> Links_;
};

// A non-visual list of bitmaps that bitmap images show by index.
class TBmBitmapList : public TBmSharedComponent {
  Q_OBJECT

 public:
  explicit TBmBitmapList(QObject* Owner = nullptr);

  TBmBitmaps* Bitmaps() { return &Bitmaps_; }
  const TBmBitmaps* Bitmaps() const { return &Bitmaps_; }
  void SetBitmaps(const TBmBitmaps* Value) { Bitmaps_.Assign(Value); }
  // Null for an index below 0 or not below the count.
  const QImage* GetBitmap(int Index) const;

 signals:
  void OnChange(QObject* Sender);

 protected:
  virtual void Changed();

 private:
  TBmBitmaps Bitmaps_;
};
