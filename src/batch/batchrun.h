#pragma once
// The batch run. Public API agreed with the main window:
//
//   class TBatchRun final : public QObject {
//   public:
//       TBatchRun(TQueue& queue, const ProgramSettings& settings, IRunView& view,
//                 QObject* parent = nullptr);
//       void Start();               // acGO: does nothing when the queue is empty or a run is active
//       void Cancel();              // acCancel: sets CancelRequested
//       bool IsRunning() const;
//       bool CancelRequested() const;
//       void SetEncoderProgram(const QString& path);   // tests: a fake encoder; empty = look it up
//       void SetPauseStep(std::chrono::milliseconds);  // 500 ms in the program, 0 in tests
//   Q_SIGNALS:
//       void Finished();            // after the end step ("Готово" or its variants)
//   };
